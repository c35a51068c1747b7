#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The desktop's own system-information programs, looked for on PATH in this
// order; the first one found is the one System Info starts.
const QStringList& systemInfoPrograms();

// The path of the first of those programs found on PATH; empty when none is.
QString findSystemInfoProgram();

// Starts the desktop's system-information program without waiting for it, or
// says it is unavailable.
void startSystemInfo(QWidget* parent);
