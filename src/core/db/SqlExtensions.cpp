#include "core/db/SqlExtensions.h"

#include "core/db/ExpressionText.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

namespace {

constexpr int FunctionFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;

int collateNoCase(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return text::compareNoCase(static_cast<const char*>(a), lengthA, static_cast<const char*>(b),
                               lengthB);
}

bool anyNull(int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    return false;
}

void like(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    // A bound pattern stays the same for the whole statement: compile it once
    // and keep it with the statement.
    auto* pattern = static_cast<text::LikePattern*>(sqlite3_get_auxdata(context, 1));
    std::unique_ptr<text::LikePattern> fresh;
    if (!pattern) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
        QString why;
        auto compiled = text::LikePattern::compile(p, sqlite3_value_bytes(argv[1]), &why);
        if (!compiled) {
            const QByteArray message =
                QStringLiteral("Invalid Like pattern: %1.").arg(why).toUtf8();
            sqlite3_result_error(context, message.constData(), int(message.size()));
            return;
        }
        fresh = std::make_unique<text::LikePattern>(std::move(*compiled));
        pattern = fresh.get();
    }
    const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    sqlite3_result_int(context, pattern->matches(value, sqlite3_value_bytes(argv[0])) ? 1 : 0);
    if (fresh)
        sqlite3_set_auxdata(context, 1, fresh.release(),
                            [](void* p) { delete static_cast<text::LikePattern*>(p); });
}

void power(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    const double result = std::pow(sqlite3_value_double(argv[0]), sqlite3_value_double(argv[1]));
    if (std::isfinite(result))
        sqlite3_result_double(context, result);
    else
        sqlite3_result_null(context);
}

// The whole number an operand of \ or Mod stands for; none for text that is
// no number and for values beyond 64 bits.
std::optional<sqlite3_int64> wholeNumber(sqlite3_value* value)
{
    switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_INTEGER:
        return sqlite3_value_int64(value);
    case SQLITE_FLOAT: {
        const double rounded = std::nearbyint(sqlite3_value_double(value)); // ties to even
        if (!(std::fabs(rounded) < 9.2e18))
            return std::nullopt;
        return sqlite3_int64(rounded);
    }
    default:
        return std::nullopt;
    }
}

template <typename Op> void wholeDivision(sqlite3_context* context, sqlite3_value** argv, Op op)
{
    const auto a = wholeNumber(argv[0]);
    const auto b = wholeNumber(argv[1]);
    if (!a || !b || *b == 0 || (*a == std::numeric_limits<sqlite3_int64>::min() && *b == -1)) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int64(context, op(*a, *b));
}

void integerDivide(sqlite3_context* context, int, sqlite3_value** argv)
{
    wholeDivision(context, argv, [](sqlite3_int64 a, sqlite3_int64 b) { return a / b; });
}

void modulo(sqlite3_context* context, int, sqlite3_value** argv)
{
    wholeDivision(context, argv, [](sqlite3_int64 a, sqlite3_int64 b) { return a % b; });
}

// The letters beyond ASCII whose case folding is an ASCII letter (the Kelvin
// sign, the long s), as UTF-8: text without them matches an ASCII needle,
// ignoring case, exactly where its bytes do.
const std::vector<std::string>& foldingToAscii()
{
    static const std::vector<std::string> letters = [] {
        std::vector<std::string> found;
        for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
            if (QChar::toCaseFolded(c) < 0x80)
                found.push_back(QString::fromUcs4(&c, 1).toStdString());
        }
        return found;
    }();
    return letters;
}

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

bool holdsLetterFoldingToAscii(std::string_view text)
{
    const std::vector<std::string>& letters = foldingToAscii();
    return std::any_of(letters.begin(), letters.end(), [&](const std::string& letter) {
        return text.find(letter) != std::string_view::npos;
    });
}

// What ym_find looks for, prepared once a statement.
struct Needle {
    std::string utf8;
    std::string asciiLower; // utf8 in lower case, when it is ASCII
    QString text;
    bool ascii = true;
    // Folded, it still holds a letter beyond ASCII, so it is in no ASCII text.
    bool beyondAscii = false;
    // An integer's text is an optional minus and digits, so other text
    // never is in it.
    bool integerText = true;
};

std::unique_ptr<Needle> makeNeedle(sqlite3_value* text)
{
    auto needle = std::make_unique<Needle>();
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(text));
    needle->utf8.assign(bytes ? bytes : "", size_t(sqlite3_value_bytes(text)));
    needle->text = QString::fromStdString(needle->utf8);
    needle->ascii = isAscii(needle->utf8);
    if (needle->ascii) {
        needle->asciiLower = needle->utf8;
        for (char& c : needle->asciiLower)
            c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    }
    const QString folded = needle->text.toCaseFolded();
    needle->beyondAscii =
        std::any_of(folded.begin(), folded.end(), [](QChar c) { return c.unicode() >= 0x80; });
    const std::string_view digits =
        std::string_view(needle->utf8)
            .substr(!needle->utf8.empty() && needle->utf8.front() == '-' ? 1 : 0);
    needle->integerText =
        needle->utf8.size() <= 20 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    return needle;
}

// lowerNeedle: ASCII, already in lower case.
bool containsAsciiNoCase(std::string_view haystack, std::string_view lowerNeedle)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    const auto it = std::search(haystack.begin(), haystack.end(), lowerNeedle.begin(),
                                lowerNeedle.end(), [&](char a, char b) { return lower(a) == b; });
    return it != haystack.end();
}

bool textContains(std::string_view haystack, const Needle& needle, bool matchCase)
{
    if (matchCase)
        return haystack.find(needle.utf8) != std::string_view::npos;
    if (isAscii(haystack)) {
        if (needle.ascii)
            return containsAsciiNoCase(haystack, needle.asciiLower);
        if (needle.beyondAscii)
            return false;
    } else if (needle.ascii && !holdsLetterFoldingToAscii(haystack)) {
        return containsAsciiNoCase(haystack, needle.asciiLower);
    }
    return QString::fromUtf8(haystack.data(), qsizetype(haystack.size()))
        .contains(needle.text, Qt::CaseInsensitive);
}

// A value as text: an integer as its decimal digits (SQLite's own text for
// it, without SQLite storing that text in the value), a real as SQLite
// writes it, text and blobs as they are.
bool valueContains(sqlite3_value* value, const Needle& needle, bool matchCase)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER: {
        if (!needle.integerText)
            return false;
        char digits[24];
        const auto end =
            std::to_chars(std::begin(digits), std::end(digits), sqlite3_value_int64(value)).ptr;
        return std::string_view(digits, size_t(end - digits)).find(needle.utf8) !=
               std::string_view::npos;
    }
    default: {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return textContains({bytes ? bytes : "", size_t(sqlite3_value_bytes(value))}, needle,
                            matchCase);
    }
    }
}

// One call a row for all the values searched: the per-call cost, not the
// comparing, is what a search over many columns spends its time on.
void find(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc < 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    auto* needle = static_cast<Needle*>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<Needle> fresh;
    if (!needle) {
        fresh = makeNeedle(argv[0]);
        needle = fresh.get();
    }
    const bool matchCase = sqlite3_value_int(argv[1]) != 0;
    bool found = false;
    for (int i = 2; i < argc && !found; ++i)
        found = valueContains(argv[i], *needle, matchCase);
    sqlite3_result_int(context, found ? 1 : 0);
    if (fresh)
        sqlite3_set_auxdata(context, 0, fresh.release(),
                            [](void* p) { delete static_cast<Needle*>(p); });
}

} // namespace

void registerExtensions(sqlite3* handle)
{
    if (!handle)
        return;
    sqlite3_create_collation_v2(handle, "YM_NOCASE", SQLITE_UTF8, nullptr, collateNoCase, nullptr);
    sqlite3_create_function_v2(handle, "ym_like", 2, FunctionFlags, nullptr, like, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(handle, "ym_pow", 2, FunctionFlags, nullptr, power, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(handle, "ym_intdiv", 2, FunctionFlags, nullptr, integerDivide,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "ym_mod", 2, FunctionFlags, nullptr, modulo, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(handle, "ym_find", -1, FunctionFlags, nullptr, find, nullptr,
                               nullptr, nullptr);
}

} // namespace db
