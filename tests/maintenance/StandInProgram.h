#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

// Copies of the stand-in program (StandIn.cpp) and the record of their runs.
// STAND_IN_PROGRAM is the built stand-in's path.
namespace StandIn {

inline QString& logPath()
{
    static QString path;
    return path;
}

// Every copy started from now on records its runs in this file.
inline void recordRunsIn(const QString& path)
{
    logPath() = path;
    qputenv("YM_STAND_IN_LOG", QFile::encodeName(path));
}

// A copy named name in folder; without the execute bit when !executable.
inline QString install(const QString& folder, const QString& name, bool executable = true)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    if (!QFile::copy(QString::fromUtf8(STAND_IN_PROGRAM), path))
        return {};
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    if (executable)
        permissions |= QFile::ExeOwner | QFile::ExeGroup;
    QFile::setPermissions(path, permissions);
    return path;
}

// One line a run: "<program path>\t<argument count>[\t<argument>...]".
inline QStringList runs()
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The line a run of program without arguments leaves.
inline QString runWithoutArguments(const QString& program)
{
    return program + QStringLiteral("\t0");
}

inline void forgetRuns()
{
    QFile::remove(logPath());
}

} // namespace StandIn
