#include "plist/PropertyList.h"
#include "plist/PropertyListScreen.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace vantrel::plistscreen {

// XML needs three checks: nesting (libplist builds, converts and frees its tree
// recursively), the number of elements (each becomes a node: ten million of them cost
// gigabytes), and character references that decode to NUL; dates are taken only when
// libplist carries them whole (see dateFits).
//
// Nesting can only be counted the way libplist reads the text. Its reader skips comments,
// processing instructions, the DOCTYPE with any internal subset, quoted attribute values
// and CDATA sections, so a "</dict>" in any of those closes nothing; counted anyway, a few
// such closes let any depth through. The reader below moves exactly as libplist 2.2's does
// (xplist.c: node_from_xml, get_text_parts and the find_* helpers they share) and refuses
// whatever libplist would stop at, so that what it counts is what libplist builds.
namespace {

using namespace std::string_view_literals;

constexpr std::size_t maxDateText = 64;

// Characters a search stops at.
class CharSet {
public:
    constexpr explicit CharSet(std::string_view chars)
    {
        for (const char c : chars) {
            m_has[static_cast<unsigned char>(c)] = true;
        }
    }
    constexpr bool contains(char c) const { return m_has[static_cast<unsigned char>(c)]; }

private:
    bool m_has[256] = {};
};

constexpr CharSet tagNameEnd(" \r\n\t<>");
constexpr CharSet tagEnd("<>");
constexpr CharSet doctypeStop(" \t\r\n[>");

// The root dictionary's strings for a few keys, taken on the way through the document.
// `plain` stays true only while the document has the one shape whose strings are read
// exactly as libplist reads them: a root <dict> (not empty-tagged) in at most one <plist>,
// every dictionary alternating a <key> with text and one value, and the keys and strings
// read each a single run of text, with no comment or CDATA inside. Anything else (libplist
// builds some of it in ways of its own) is left to libplist.
struct RootStrings {
    std::span<const char* const> keys;
    std::vector<std::optional<QString>>& values;
    bool plain = true;
};

// Where the text of a value element lies, when it is one run.
struct TextSpan {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool single = true; // false once a comment or CDATA section split it
};

class XmlReader {
public:
    explicit XmlReader(const QByteArray& data, RootStrings* strings = nullptr)
        : m_pos(data.constData())
        , m_end(data.constData() + data.size())
        , m_strings(strings)
    {
    }

    // Whether the document nests no deeper than PropertyList::maxDepth, holds at most
    // maxExpandedNodes elements and only dates libplist carries whole, up to where libplist
    // stops reading it; false for anything libplist would refuse on the way. With
    // RootStrings, their values are filled in on the way.
    bool acceptable();

private:
    enum class Open : char { Plist, Dict, Array };

    bool atEnd() const { return m_pos >= m_end; }
    qsizetype left() const { return m_end - m_pos; }
    bool startsWith(std::string_view text) const
    {
        return left() >= qsizetype(text.size()) && std::memcmp(m_pos, text.data(), text.size()) == 0;
    }

    void skipSpace()
    {
        while (!atEnd() && (*m_pos == ' ' || *m_pos == '\t' || *m_pos == '\r' || *m_pos == '\n')) {
            ++m_pos;
        }
    }

    // Past a run opened by the '"' just passed, to its closing '"' (or the end).
    void toClosingQuote()
    {
        const void* quote = std::memchr(m_pos, '"', std::size_t(left()));
        m_pos = quote ? static_cast<const char*>(quote) : m_end;
    }

    // To the next `c`, or the end.
    void findChar(char c)
    {
        const void* found = std::memchr(m_pos, c, std::size_t(left()));
        m_pos = found ? static_cast<const char*>(found) : m_end;
    }

    // To the next `text`, looked for no further than where it would still fit (where the
    // reader then stands); with `skipQuotes`, over quoted runs on the way.
    void findString(std::string_view text, bool skipQuotes)
    {
        const auto length = qsizetype(text.size());
        if (!skipQuotes) {
            while (left() > length) {
                const void* first = std::memchr(m_pos, text.front(), std::size_t(left() - length));
                if (!first) {
                    m_pos = m_end - length;
                    return;
                }
                m_pos = static_cast<const char*>(first);
                if (std::memcmp(m_pos, text.data(), text.size()) == 0) {
                    return;
                }
                ++m_pos;
            }
            return;
        }
        while (left() > length) {
            if (*m_pos == text.front() && std::memcmp(m_pos, text.data(), text.size()) == 0) {
                break;
            }
            if (*m_pos == '"') {
                ++m_pos;
                toClosingQuote();
                if (atEnd()) {
                    return;
                }
            }
            ++m_pos;
        }
    }

    // To the next of `stops`; with `skipQuotes`, over quoted runs on the way.
    void findAny(const CharSet& stops, bool skipQuotes)
    {
        while (!atEnd()) {
            if (skipQuotes && *m_pos == '"') {
                ++m_pos;
                toClosingQuote();
                if (atEnd()) {
                    return;
                }
            }
            if (stops.contains(*m_pos)) {
                return;
            }
            ++m_pos;
        }
    }

    bool skipComment();
    bool skipDoctype();
    bool readText(std::string_view tag, bool skipWhitespace, QByteArray* text, TextSpan* span = nullptr);

    // Whether the root strings are still being read.
    bool reading() const { return m_strings && m_strings->plain; }
    void notPlain()
    {
        if (m_strings) {
            m_strings->plain = false;
        }
    }

    const char* m_pos;
    const char* const m_end;
    RootStrings* const m_strings;
};

// Past the comment whose "<!--" the reader is just after.
bool XmlReader::skipComment()
{
    findString("-->"sv, false);
    if (left() < 3 || !startsWith("-->"sv)) {
        return false;
    }
    m_pos += 3;
    return true;
}

// Past the DOCTYPE whose "<!DOCTYPE" the reader is just after, an internal subset included.
bool XmlReader::skipDoctype()
{
    bool subset = false;
    while (!atEnd()) {
        findAny(doctypeStop, true);
        if (atEnd()) {
            return false;
        }
        if (*m_pos == '[') {
            subset = true;
            break;
        }
        if (*m_pos == '>') {
            ++m_pos;
            break;
        }
        skipSpace();
    }
    if (subset) {
        findString("]>"sv, true);
        if (left() < 2 || !startsWith("]>"sv)) {
            return false;
        }
        m_pos += 2;
    }
    return true;
}

// Past the text of a value element and its closing tag; comments and CDATA sections may
// split the text, nothing else may stand in it. The text, its first maxDateText bytes, goes
// to `text` when one is given; where it lies, to `span`. libplist keeps the leading
// whitespace of keys and strings only (`skipWhitespace` false).
bool XmlReader::readText(std::string_view tag, bool skipWhitespace, QByteArray* text, TextSpan* span)
{
    if (skipWhitespace) {
        skipSpace();
    }
    const char* const first = m_pos;
    bool split = false;
    auto keep = [&](const char* from, const char* to) {
        if (text && text->size() < qsizetype(maxDateText)) {
            text->append(from, std::min<qsizetype>(to - from, qsizetype(maxDateText) - text->size()));
        }
    };
    for (;;) {
        const char* const start = m_pos;
        findChar('<');
        if (atEnd()) {
            return false;
        }
        keep(start, m_pos);
        ++m_pos;
        if (atEnd()) {
            return false;
        }
        if (*m_pos == '/') {
            break;
        }
        if (*m_pos != '!') {
            return false; // an element inside a value
        }
        split = true;
        ++m_pos;
        if (left() <= 1) {
            return false;
        }
        if (startsWith("--"sv)) {
            m_pos += 2;
            if (!skipComment()) {
                return false;
            }
        } else if (startsWith("[CDATA["sv) && left() > 9) {
            m_pos += 7;
            const char* const cdata = m_pos;
            findString("]]>"sv, false);
            if (left() < 3 || !startsWith("]]>"sv)) {
                return false;
            }
            keep(cdata, m_pos);
            m_pos += 3;
        } else {
            return false;
        }
    }
    if (span) {
        *span = {first, m_pos - 1, !split};
    }
    ++m_pos;
    if (left() <= qsizetype(tag.size()) || !startsWith(tag)) {
        return false;
    }
    m_pos += tag.size();
    skipSpace();
    if (atEnd() || *m_pos != '>') {
        return false;
    }
    ++m_pos;
    return true;
}

bool dateTextAcceptable(const QByteArray& text)
{
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(text.trimmed()), Qt::ISODate);
    return date.isValid() && dateFits(double(referenceDate().secsTo(date)));
}

bool XmlReader::acceptable()
{
    static constexpr std::string_view valueTags[] = {"key"sv,  "string"sv, "integer"sv, "real"sv,
                                                     "true"sv, "false"sv,  "data"sv,    "date"sv};
    QVarLengthArray<Open, 32> open; // what libplist keeps as its node path
    int depth = 0;                  // how deep libplist's next value lands
    bool haveRoot = false;
    bool hasContent = false;
    std::uint64_t elements = 0;
    // For the root strings: libplist's pending key name, and where it stands when the key
    // belongs to the root dictionary.
    bool keyPending = false;
    std::string_view rootKey;
    // A value filed where libplist files it: in a dictionary under the key just read.
    const auto takeValue = [&](const TextSpan* string) {
        if (!reading() || open.empty() || open.back() != Open::Dict) {
            keyPending = false;
            return;
        }
        if (!keyPending) {
            notPlain(); // libplist refuses a dictionary's value without a key
            return;
        }
        keyPending = false;
        if (depth != 1) {
            return;
        }
        if (rootKey == "CF$UID"sv) {
            notPlain(); // libplist 2.3 and later make a root holding only this key a UID
            return;
        }
        for (std::size_t i = 0; i < m_strings->keys.size(); ++i) {
            const char* const key = m_strings->keys[i];
            // (The document holds no NUL, so a match is the whole key.)
            if (std::strncmp(key, rootKey.data(), rootKey.size()) == 0 && key[rootKey.size()] == '\0') {
                // The last of repeated keys holds, as libplist replaces the value.
                m_strings->values[i] =
                    string ? std::optional(QString::fromUtf8(string->begin, string->end - string->begin))
                           : std::nullopt;
            }
        }
    };
    while (!atEnd()) {
        skipSpace();
        if (atEnd()) {
            break;
        }
        if (*m_pos != '<') {
            return false;
        }
        ++m_pos;
        if (atEnd()) {
            return false;
        }
        if (*m_pos == '?') {
            findString("?>"sv, true);
            if (left() < 2 || !startsWith("?>"sv)) {
                return false;
            }
            m_pos += 2;
            continue;
        }
        if (*m_pos == '!') {
            if (left() > 3 && startsWith("!--"sv)) {
                m_pos += 3;
                if (!skipComment()) {
                    return false;
                }
            } else if (left() > 8 && startsWith("!DOCTYPE"sv)) {
                m_pos += 8;
                if (!skipDoctype()) {
                    return false;
                }
            } else {
                return false;
            }
            continue;
        }

        const char* const nameStart = m_pos;
        findAny(tagNameEnd, false);
        if (atEnd()) {
            return false;
        }
        std::string_view name(nameStart, std::size_t(m_pos - nameStart));
        if (*m_pos != '>') {
            findAny(tagEnd, true);
        }
        if (atEnd() || *m_pos != '>') {
            return false;
        }
        const bool empty = m_pos[-1] == '/';
        if (empty && std::size_t(m_pos - nameStart - 1) < name.size()) {
            name = name.substr(0, std::size_t(m_pos - nameStart - 1));
        }
        ++m_pos;
        if (name.empty() || name.front() != '/') {
            if (++elements > maxExpandedNodes) {
                return false;
            }
        }

        if (name == "plist"sv) {
            hasContent = false;
            if (open.empty() && haveRoot) {
                return true; // libplist reads no second top-level plist
            }
            if (empty) {
                return false;
            }
            if (!open.empty()) {
                notPlain(); // a plist within: libplist files what follows its own way
            }
            open.push_back(Open::Plist);
            continue;
        }
        if (name == "/plist"sv) {
            if (!hasContent || open.empty() || open.back() != Open::Plist) {
                return false;
            }
            open.pop_back();
            continue;
        }
        hasContent = true;

        if (name == "dict"sv || name == "array"sv) {
            const Open kind = name == "dict"sv ? Open::Dict : Open::Array;
            if (!haveRoot) {
                if (kind != Open::Dict || empty) {
                    notPlain();
                }
                haveRoot = true;
                depth = 1; // the root takes what follows even when empty
            } else {
                takeValue(nullptr);
                if (!empty) {
                    ++depth;
                }
            }
            if (!empty) {
                open.push_back(kind);
            }
            if (depth > PropertyList::maxDepth) {
                return false;
            }
            continue;
        }
        if (std::find(std::begin(valueTags), std::end(valueTags), name) != std::end(valueTags)) {
            const bool text = name == "string"sv || name == "key"sv;
            TextSpan span{m_pos, m_pos};
            if (!empty) {
                QByteArray date;
                if (!readText(name, !text, name == "date"sv ? &date : nullptr, reading() && text ? &span : nullptr)) {
                    return false;
                }
                if (name == "date"sv && !dateTextAcceptable(date)) {
                    return false;
                }
            }
            if (!haveRoot) {
                notPlain();
                return true; // a single value is the whole document to libplist
            }
            if (text && !span.single) {
                notPlain();
            }
            if (name == "key"sv) {
                if (reading() && (empty || keyPending || open.empty() || open.back() != Open::Dict)) {
                    notPlain(); // libplist reads this key as a string value
                }
                keyPending = true;
                rootKey = std::string_view(span.begin, std::size_t(span.end - span.begin));
                continue;
            }
            takeValue(name == "string"sv ? &span : nullptr);
            continue;
        }
        if (name == "/dict"sv || name == "/array"sv) {
            if (open.empty() || open.back() != (name == "/dict"sv ? Open::Dict : Open::Array)) {
                return false;
            }
            if (keyPending) {
                notPlain(); // a key without a value, which libplist drops
            }
            keyPending = false;
            open.pop_back();
            if (--depth == 0) {
                return true; // libplist reads nothing after the root's end
            }
            continue;
        }
        return false; // libplist knows no other element
    }
    return haveRoot && open.empty();
}

// Whether the character reference at `at` (its "&#") decodes to something other than NUL.
bool referenceAcceptable(const QByteArray& data, qsizetype at)
{
    qsizetype i = at + 2;
    const bool hex = i < data.size() && (data[i] == 'x' || data[i] == 'X');
    if (hex) {
        ++i;
    }
    std::uint64_t value = 0;
    bool digits = false;
    for (; i < data.size(); ++i) {
        const char c = data[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        digits = true;
        value = std::min<std::uint64_t>(value * (hex ? 16 : 10) + std::uint64_t(digit), 0x110000);
    }
    return !digits || value != 0;
}

// Whether no character reference in `data` decodes to NUL.
bool referencesAcceptable(const QByteArray& data)
{
    const char* const begin = data.constData();
    const char* const end = begin + data.size();
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '&', std::size_t(end - p)))) != nullptr;
         ++p) {
        if (p + 1 < end && p[1] == '#' && !referenceAcceptable(data, p - begin)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool xmlAcceptable(const QByteArray& data)
{
    return !data.contains('\0') && XmlReader(data).acceptable() && referencesAcceptable(data);
}

XmlReading xmlRootStrings(const QByteArray& data, std::span<const char* const> keys,
                          std::vector<std::optional<QString>>& values)
{
    values.assign(keys.size(), std::nullopt);
    RootStrings strings{keys, values};
    if (data.contains('\0') || !XmlReader(data, &strings).acceptable()) {
        return XmlReading::Refused;
    }
    // Entities are libplist's to decode, and to refuse.
    if (data.contains('&')) {
        return referencesAcceptable(data) ? XmlReading::Unsure : XmlReading::Refused;
    }
    return strings.plain ? XmlReading::Read : XmlReading::Unsure;
}

} // namespace vantrel::plistscreen
