#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The one way this program writes a whole file that others may be reading:
// beside it under another name, flushed to the disk, given the file's name
// by a rename, and the folder flushed so the new name survives a crash. A
// file that has its name is whole; a failed or abandoned write removes the
// one beside it. Backups and their restore, the import, the league
// generator, Export View as CSV and the Access write-back all write through
// it. Errors are errno values (0: none); callers word them.
namespace db {

// How a finished file takes its name.
enum class Placing {
    Replace,   // over whatever has it
    NoReplace, // never over a file that has it, even one made meanwhile (EEXIST)
};

// Flushes the file at path to the disk.
int syncFile(const QString& path);
// Gives the whole file temp the name target and flushes the folder. On an
// error temp is left as it was.
int placeFile(const QString& temp, const QString& target, Placing placing = Placing::Replace);
// Where a write to path lands: through symbolic links, even one that leads
// to a file not made yet. The link itself stays.
QString landingPath(const QString& path);

class AtomicFile
{
public:
    // target: the file's name (a symbolic link is followed); temp: the name
    // it is written under in the same folder, "XXXXXX" at its end made
    // unique; empty: ".<name>.XXXXXX".
    explicit AtomicFile(const QString& target, const QString& temp = {});
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the file beside the target unless it took the target's name.
    ~AtomicFile();

    // Creates the file beside the target, with the target's mode when it
    // exists. A folder as the target is EISDIR, a target this process may
    // not write EACCES.
    int open();
    int write(const char* data, qint64 bytes);
    int write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Flushes the written bytes to the disk and closes the file.
    int finish();
    // finish() unless done, then beforePlace (0 or an errno value), then
    // placeFile. On an error the file beside is removed.
    int commit(Placing placing = Placing::Replace, const std::function<int()>& beforePlace = {});

    QString target() const { return m_target; }
    QString tempPath() const { return m_temp; }

private:
    int fail(int error);

    QString m_target;
    QString m_temp;
    int m_fd = -1;
    bool m_made = false; // the file beside exists and is ours
};

} // namespace db
