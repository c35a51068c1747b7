#pragma once

struct sqlite3;

namespace db {

// Collations and functions every connection gets:
// - collation YM_NOCASE: text ordered and compared without regard to case,
//   Unicode-aware, so "É" = "é";
// - ym_like(value, pattern): Access-style Like, case-insensitive; Null when
//   either side is Null; an error for a malformed pattern;
// - ym_pow(a, b): a raised to b, as a real; Null when the result is no number;
// - ym_intdiv(a, b) and ym_mod(a, b): both operands rounded to whole numbers
//   (a half to the even neighbour) first, the quotient truncated toward zero,
//   the remainder taking the dividend's sign; Null for a zero divisor;
// - ym_find(text, matchCase, value, ...): 1 when any of the values, as text,
//   contains text (ignoring case unless matchCase), else 0; a Null value
//   contains nothing.
void registerExtensions(sqlite3* handle);

} // namespace db
