#pragma once

#include <QString>
#include <QWidget>

// The program-wide state the main window owns for the whole run.
namespace mMain {
inline QString DBPath;         // the league file; empty until File > Open chose one
inline QString ConverterPath;  // the league converter; empty until File > Convert chose one
inline QString CurrentTable;   // the table the last Table command asked a grid to show
inline WId MainWindowHandle{}; // recorded by InitHelp

// The application title every message box carries.
inline QString applicationTitle()
{
    return QStringLiteral("Yardmark99");
}
} // namespace mMain
