#include "plist/PropertyList.h"
#include "plist/PropertyListScreen.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vantrel::plistscreen {

// XML needs three checks: nesting (the parser recurses per element), the number of
// elements (each becomes a node: ten million of them cost gigabytes), and character
// references that decode to NUL.
bool xmlAcceptable(const QByteArray& data)
{
    if (data.contains('\0')) {
        return false;
    }
    // Dates: only those libplist carries whole (see dateFits), in a form this check reads.
    static const QByteArray dateTag = QByteArrayLiteral("<date");
    for (qsizetype at = data.indexOf(dateTag); at >= 0; at = data.indexOf(dateTag, at + 1)) {
        const qsizetype open = at + dateTag.size();
        if (open < data.size() && data[open] != '>' && !std::isspace(static_cast<unsigned char>(data[open]))) {
            continue; // another element ("<dateline>")
        }
        const qsizetype start = data.indexOf('>', open);
        const qsizetype end = start < 0 ? -1 : data.indexOf('<', start);
        if (end < 0 || data[end - 1] == '/') {
            continue; // cut off, or empty: libplist refuses those itself
        }
        const QByteArray text = data.mid(start + 1, std::min<qsizetype>(end - start - 1, 64)).trimmed();
        const QDateTime date = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
        if (!date.isValid() || !dateFits(double(referenceDate().secsTo(date)))) {
            return false;
        }
    }
    int depth = 0;
    std::uint64_t elements = 0;
    const char* p = data.constData();
    const char* end = p + data.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', std::size_t(end - p)))) != nullptr) {
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
    for (qsizetype at = data.indexOf("&#"); at >= 0; at = data.indexOf("&#", at + 2)) {
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
        if (digits && value == 0) {
            return false;
        }
    }
    return true;
}

} // namespace vantrel::plistscreen
