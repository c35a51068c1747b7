#pragma once

#include <QString>

namespace program {
// The application title every message box carries.
inline QString applicationTitle()
{
    return QStringLiteral("Yardmark99");
}
} // namespace program
