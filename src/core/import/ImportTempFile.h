#pragma once

#include "core/db/Error.h"

#include <QString>
#include <sys/types.h>

// The file an import writes beside its target before it moves it into place,
// ".<target name>.import-XXXXXX". While an import holds it, it keeps an fcntl
// lock on it, and SIGTERM, SIGINT or SIGHUP end its child and remove it
// before the program ends as the signal says. A file of that name that no
// live import holds is left by one that was killed outright: the next import
// into the folder removes it.
namespace import {

class ImportTempFile
{
public:
    ImportTempFile() = default;
    ImportTempFile(const ImportTempFile&) = delete;
    ImportTempFile& operator=(const ImportTempFile&) = delete;
    // Removes the file unless it was moved into place.
    ~ImportTempFile();

    // Removes the folder's stale temporary files, then creates, locks and
    // guards a new one for target.
    db::Error create(const QString& target);
    QString path() const { return m_path; }
    // fork() for the process that writes the file: a signal that ends this
    // one ends that one first (in it, a signal ends it alone), and it ends
    // when this one does.
    pid_t forkWriter();
    // The file was moved into place: nothing is removed.
    void release();

private:
    QString m_path;
    int m_fd = -1;
};

// Whether the folder takes no file name as long as target's temporary file
// needs.
bool tempNameTooLong(const QString& target);

} // namespace import
