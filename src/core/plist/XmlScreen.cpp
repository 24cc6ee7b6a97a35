#include "plist/PropertyList.h"
#include "plist/PropertyListScreen.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vantrel::plistscreen {

// XML needs three checks: nesting (the parser recurses per element), the number of
// elements (each becomes a node: ten million of them cost gigabytes), and character
// references that decode to NUL.
namespace {

// Whether the element opening at `at` (its "<"), when it is a <date>, holds a date
// libplist carries whole, in a form this check reads.
bool dateAcceptable(const QByteArray& data, qsizetype at)
{
    constexpr qsizetype tagLength = 5; // "<date"
    const qsizetype open = at + tagLength;
    if (open < data.size() && data[open] != '>' && !std::isspace(static_cast<unsigned char>(data[open]))) {
        return true; // another element ("<dateline>")
    }
    const qsizetype start = data.indexOf('>', open);
    const qsizetype end = start < 0 ? -1 : data.indexOf('<', start);
    if (end < 0 || data[end - 1] == '/') {
        return true; // cut off, or empty: libplist refuses those itself
    }
    const QByteArray text = data.mid(start + 1, std::min<qsizetype>(end - start - 1, 64)).trimmed();
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    return date.isValid() && dateFits(double(referenceDate().secsTo(date)));
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

} // namespace

// XML needs three checks: nesting (the parser recurses per element), the number of
// elements (each becomes a node: ten million of them cost gigabytes), and character
// references that decode to NUL; dates are taken only when libplist carries them whole
// (see dateFits). One pass over the tags and one over the references: every scan screens
// every Info.plist.
bool xmlAcceptable(const QByteArray& data)
{
    if (data.contains('\0')) {
        return false;
    }
    int depth = 0;
    std::uint64_t elements = 0;
    const char* const begin = data.constData();
    const char* const end = begin + data.size();
    const char* p = begin;
    while ((p = static_cast<const char*>(std::memchr(p, '<', std::size_t(end - p)))) != nullptr) {
        const qsizetype at = p - begin;
        ++p;
        if (p >= end) {
            break;
        }
        const bool closing = *p == '/';
        if (!closing && *p != '?' && *p != '!' && ++elements > maxExpandedNodes) {
            return false;
        }
        const char* name = closing ? p + 1 : p;
        auto startsWith = [&](const char* word) {
            std::size_t n = std::strlen(word);
            return std::size_t(end - name) >= n && std::memcmp(name, word, n) == 0;
        };
        if (!closing && startsWith("date")) {
            if (!dateAcceptable(data, at)) {
                return false;
            }
            continue;
        }
        if (!startsWith("dict") && !startsWith("array")) {
            continue;
        }
        // An empty element (<array/>) opens nothing.
        const char* close = static_cast<const char*>(std::memchr(name, '>', std::size_t(end - name)));
        if (!closing && close && close > name && close[-1] == '/') {
            continue;
        }
        depth += closing ? -1 : 1;
        if (depth > PropertyList::maxDepth) {
            return false;
        }
    }
    for (p = begin; (p = static_cast<const char*>(std::memchr(p, '&', std::size_t(end - p)))) != nullptr; ++p) {
        if (p + 1 < end && p[1] == '#' && !referenceAcceptable(data, p - begin)) {
            return false;
        }
    }
    return true;
}

} // namespace vantrel::plistscreen
