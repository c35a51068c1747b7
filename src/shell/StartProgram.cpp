#include "shell/StartProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

db::Error startProgram(const QString& path)
{
    const QFileInfo file(path);
    // A folder is no program either; treating it as missing lets the user
    // choose again instead of being told about a failed start.
    if (path.isEmpty() || !file.isFile())
        return {db::FileNotFound, QStringLiteral("File not found: %1.").arg(db::quotedPath(path))};

    // An absolute path, so a bare name is never looked up on the search path.
    QProcess process;
    process.setProgram(file.absoluteFilePath());
    if (process.startDetached())
        return {};
    return {shell::StartFailed, QStringLiteral("%1 could not be started (%2).")
                                    .arg(db::quotedPath(path), process.errorString())};
}
