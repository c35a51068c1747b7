#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

// Reads one registry value as text into value. A text value comes back
// without its terminating zero; a 32-bit number as its decimal text; a value
// of any other type leaves value as passed in. A missing key or value gives
// false and an empty value.
bool GetKeyValue(quint32 root, const QString& keyName, const QString& valueName, QString& value);

// Starts the system-information program the registry names, without waiting
// for it, or says it is unavailable.
void StartSysInfo(QWidget* parent);
