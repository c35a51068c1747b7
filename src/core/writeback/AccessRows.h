#pragma once

#include "core/writeback/ChildProcess.h"
#include "core/writeback/WritePlan.h"

namespace import {
class Source;
}

namespace writeback {

// Every row of the source's table index, by place, with the values the
// import would store for it now (a NaN is NULL, as SQLite keeps it).
db::Error readAccessRows(import::Source& source, int index, const Alive& alive, AccessRows* rows);

// The plan as the child hands it to the parent, and back.
QByteArray planBytes(const Plan& plan);
Plan planFromBytes(const QByteArray& bytes);

} // namespace writeback
