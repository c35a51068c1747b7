#pragma once

#include "core/import/Provenance.h"

#include <QSet>
#include <mdbtools.h>

// How libmdb says an Access file stores its tables, as the record of an
// import keeps it (Provenance.h). For the import's own sources only: it
// takes libmdb's handles.
namespace import {

// "Jet 3", "Jet 4" or "ACE".
QString jetFormat(const MdbHandle* mdb);

// The declared type that keeps a Jet column's width in the new file, so the
// grid refuses what the column cannot hold; empty for the others.
QString jetDeclaredType(int mdbType);

// "table\ncolumn" for each column a relationship names (MSysRelationships):
// libmdb gives no columns for the indexes that keep relationships.
QSet<QString> relationshipColumns(MdbHandle* mdb);

// The table's columns as stored (its columns and indexes read), each with why
// a change of it cannot be written.
JetTable describeJetTable(MdbTableDef* def, const QSet<QString>& relationships);

} // namespace import
