#pragma once

#include "core/db/Error.h"

#include <QString>

// What the first page of an Access file says, read without libmdb: whether
// it is one, whether a password guards it, whether its size holds whole pages.
namespace import {

// True when the file starts as a Jet 3, Jet 4 or ACE database does.
bool isAccessFile(const QString& path);

// True when the header says the file's pages are encoded (Jet's database key
// is set): libmdb decodes each page it reads, so the stored bytes are not
// the values.
bool isEncodedAccessFile(const QString& path);

// No error when libmdb may read the file: it is an Access database, no
// database password guards it, and it is a whole number of its pages (a file
// cut short makes libmdb read past its end).
db::Error checkAccessFile(const QString& path);

} // namespace import
