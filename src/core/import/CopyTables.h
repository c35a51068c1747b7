#pragma once

#include "core/import/Source.h"

namespace import {

// Told how far a copy has got.
class CopyObserver
{
public:
    virtual void tableStarted(int index, const Table& table) = 0;
    // Rows of the current table copied so far; called every few hundred rows.
    virtual void rowsCopied(qint64 rows) = 0;

protected:
    ~CopyObserver() = default;
};

// Copies every table of source, with its rows and indexes, into a new SQLite
// file at path (absent or empty), all in one transaction. A table that gives
// more or fewer rows than it records stops the copy as damaged. The file is
// flushed to disk before this returns; on error its contents are undefined
// and the caller removes it.
db::Error copyTables(Source& source, const QString& path, CopyObserver* observer = nullptr);

} // namespace import
