#include "core/db/ExpressionText.h"

#include <QChar>
#include <utility>

namespace db::text {

namespace {

using Byte = unsigned char;

// Bytes that are not UTF-8 map one by one onto lone surrogates (which valid
// UTF-8 never yields), so every input still has one consistent order.
char32_t invalidByte(const Byte*& p)
{
    return 0xDC00 + *p++;
}

char32_t decode(const Byte*& p, const Byte* end)
{
    const Byte lead = *p;
    if (lead < 0x80)
        return *p++;
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return invalidByte(p);
    }
    if (end - p <= extra)
        return invalidByte(p);
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return invalidByte(p);
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
        return invalidByte(p);
    p += extra + 1;
    return cp;
}

char32_t fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    if (c >= 0xD800 && c < 0xE000)
        return c;
    return QChar::toCaseFolded(c);
}

char32_t upper(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
    if (c >= 0xD800 && c < 0xE000)
        return c;
    return QChar::toUpper(c);
}

std::vector<char32_t> codePoints(const char* utf8, int length)
{
    std::vector<char32_t> out;
    out.reserve(length);
    auto p = reinterpret_cast<const Byte*>(utf8);
    const Byte* end = p + length;
    while (p < end)
        out.push_back(decode(p, end));
    return out;
}

QString shown(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

} // namespace

int compareNoCase(const char* a, int lengthA, const char* b, int lengthB)
{
    auto p = reinterpret_cast<const Byte*>(a);
    auto q = reinterpret_cast<const Byte*>(b);
    const Byte* pEnd = p + lengthA;
    const Byte* qEnd = q + lengthB;
    while (p < pEnd && q < qEnd) {
        if ((*p | *q) < 0x80) {
            if (*p != *q) {
                const char32_t x = fold(*p), y = fold(*q);
                if (x != y)
                    return x < y ? -1 : 1;
            }
            ++p;
            ++q;
            continue;
        }
        const char32_t x = fold(decode(p, pEnd));
        const char32_t y = fold(decode(q, qEnd));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return int(p < pEnd) - int(q < qEnd);
}

std::optional<LikePattern> LikePattern::compile(const QString& pattern, QString* error)
{
    const QByteArray utf8 = pattern.toUtf8();
    return compile(utf8.constData(), int(utf8.size()), error);
}

std::optional<LikePattern> LikePattern::compile(const char* utf8, int length, QString* error)
{
    const std::vector<char32_t> in = codePoints(utf8, length);
    LikePattern pattern;
    for (size_t i = 0; i < in.size(); ++i) {
        const char32_t c = in[i];
        if (c == '*') {
            if (pattern.m_elements.empty() || pattern.m_elements.back().kind != Element::AnyRun)
                pattern.m_elements.push_back({Element::AnyRun});
        } else if (c == '?') {
            pattern.m_elements.push_back({Element::AnyOne});
        } else if (c == '#') {
            pattern.m_elements.push_back({Element::Digit});
        } else if (c != '[') {
            pattern.m_elements.push_back({Element::Char, fold(c)});
        } else {
            size_t close = i + 1;
            while (close < in.size() && in[close] != ']')
                ++close;
            if (close == in.size()) {
                if (error)
                    *error = QStringLiteral("a [ in the pattern has no closing ]");
                return std::nullopt;
            }
            Set set;
            size_t j = i + 1;
            // "[!]" is the exclamation mark itself; "[]" stands for no text at all.
            if (close - j > 1 && in[j] == '!') {
                set.negated = true;
                ++j;
            }
            for (; j < close; ++j) {
                if (j + 2 < close && in[j + 1] == '-') {
                    if (in[j] > in[j + 2]) {
                        if (error)
                            *error = QStringLiteral("the range %1-%2 in the pattern runs backwards")
                                         .arg(shown(in[j]), shown(in[j + 2]));
                        return std::nullopt;
                    }
                    set.ranges.emplace_back(in[j], in[j + 2]);
                    j += 2;
                } else {
                    set.ranges.emplace_back(fold(in[j]), fold(in[j]));
                }
            }
            if (!set.negated && set.ranges.size() == 1 &&
                set.ranges[0].first == set.ranges[0].second) {
                pattern.m_elements.push_back({Element::Char, set.ranges[0].first});
            } else if (!set.ranges.empty() || set.negated) {
                pattern.m_elements.push_back({Element::Set, char32_t(pattern.m_sets.size())});
                pattern.m_sets.push_back(std::move(set));
            }
            i = close;
        }
    }
    return pattern;
}

bool LikePattern::matchesOne(const Element& e, char32_t c) const
{
    switch (e.kind) {
    case Element::AnyOne:
        return true;
    case Element::Digit:
        return c >= '0' && c <= '9';
    case Element::Char:
        return c == e.c;
    case Element::Set: {
        const Set& set = m_sets[e.c];
        // The subject is folded; a range such as A-Z is tested in both cases.
        const char32_t big = upper(c);
        bool in = false;
        for (const auto& [lo, hi] : set.ranges)
            in = in || (c >= lo && c <= hi) || (big >= lo && big <= hi);
        return in != set.negated;
    }
    case Element::AnyRun:
        break;
    }
    return false;
}

bool LikePattern::matches(const char* utf8, int length) const
{
    m_scratch.clear();
    auto p = reinterpret_cast<const Byte*>(utf8);
    const Byte* end = p + length;
    while (p < end)
        m_scratch.push_back(fold(decode(p, end)));

    // Greedy scan that returns to the last * on a mismatch: every other
    // element matches exactly one character, so one back-up point suffices.
    const size_t n = m_scratch.size(), m = m_elements.size();
    size_t s = 0, e = 0, starE = m, starS = 0;
    while (s < n) {
        if (e < m && m_elements[e].kind == Element::AnyRun) {
            starE = e++;
            starS = s;
        } else if (e < m && matchesOne(m_elements[e], m_scratch[s])) {
            ++e;
            ++s;
        } else if (starE < m) {
            e = starE + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (e < m && m_elements[e].kind == Element::AnyRun)
        ++e;
    return e == m;
}

} // namespace db::text
