#pragma once

#include <QString>

namespace mMain {
// The application title every message box carries.
inline QString applicationTitle()
{
    return QStringLiteral("Yardmark99");
}
} // namespace mMain
