#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

// Copies of the stand-in program (StandIn.cpp) and the record of their runs.
// STAND_IN_PROGRAM is the built stand-in's path.
namespace StandIn {

inline QString logPath;

// Every copy started from now on records its runs in this file.
inline void recordRunsIn(const QString& path)
{
    logPath = path;
    qputenv("YM_STAND_IN_LOG", QFile::encodeName(path));
}

// A copy named name in folder; without the execute bit when !executable.
inline QString install(const QString& folder, const QString& name, bool executable = true)
{
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    if (!QDir().mkpath(folder) || !QFile::copy(QString::fromUtf8(STAND_IN_PROGRAM), path))
        return {};
    const auto exe = executable ? QFile::ExeOwner | QFile::ExeGroup : QFile::Permissions();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | exe);
    return path;
}

// One line a run: "<program path>\t<argument count>[\t<argument>...]".
inline QStringList runs()
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// What runs() holds after program alone ran, without arguments; nothing when
// program is empty.
inline QStringList ranAlone(const QString& program)
{
    return program.isEmpty() ? QStringList() : QStringList{program + QStringLiteral("\t0")};
}

inline void forgetRuns()
{
    QFile::remove(logPath);
}

} // namespace StandIn
