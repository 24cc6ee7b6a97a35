#include "plist/PropertyList.h"

#include <QDateTime>
#include <QTimeZone>

#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace vantrel {

namespace {

// Property-list dates count seconds from 2001-01-01T00:00:00Z.
const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return date;
}

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// --- Screening of untrusted input -------------------------------------------------------
//
// libplist 2.2 trusts its input more than a reader of arbitrary files may: its parsers
// recurse once per nesting level, expand an object referenced from many places once per
// reference, and assert (abort) on a string holding a NUL character. Both formats are
// screened for these before libplist sees them.

constexpr std::uint64_t maxExpandedNodes = 1u << 20;
constexpr const char* uidKey = "CF$UID";

std::uint64_t readBigEndian(const unsigned char* p, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = (value << 8) | p[i];
    }
    return value;
}

// libplist hands dates over as whole 32-bit seconds from 2001-01-01, truncated towards
// zero, and silently wraps anything beyond; within the second before that origin it also
// loses the fraction's sign (-0.5 s reads as 0.5 s). Reading and writing both take exactly
// the dates it carries whole: 1932-12-13 20:45:52 up to 2069-01-19 03:14:08 UTC, less
// that one second.
bool dateFits(double secondsSince2001)
{
    constexpr double earliest = double(std::numeric_limits<std::int32_t>::min());
    constexpr double latest = double(std::numeric_limits<std::int32_t>::max()) + 1;
    const double s = secondsSince2001;
    return std::isfinite(s) && s >= earliest && s < latest && !(s > -1 && s < 0);
}

bool binaryDateFits(const unsigned char* bigEndianDouble)
{
    const std::uint64_t bits = readBigEndian(bigEndianDouble, 8);
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return dateFits(seconds);
}

// Walks a binary property list's object graph without recursion: every reference in
// range, no cycles, no string with a NUL, nesting within maxDepth and the fully expanded
// tree within maxExpandedNodes.
class BinaryScreen {
public:
    explicit BinaryScreen(const QByteArray& data)
        : m_data(reinterpret_cast<const unsigned char*>(data.constData()))
        , m_size(std::uint64_t(data.size()))
    {
    }

    bool acceptable()
    {
        if (m_size < 8 + 32) {
            return false;
        }
        const unsigned char* trailer = m_data + m_size - 32;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_count = readBigEndian(trailer + 8, 8);
        const std::uint64_t top = readBigEndian(trailer + 16, 8);
        m_tableOffset = readBigEndian(trailer + 24, 8);
        auto validSize = [](int s) { return s == 1 || s == 2 || s == 4 || s == 8; };
        if (!validSize(m_offsetSize) || !validSize(m_refSize) || m_count == 0 || top >= m_count || m_tableOffset < 8
            || m_tableOffset >= m_size - 32 || m_count > (m_size - 32 - m_tableOffset) / std::uint64_t(m_offsetSize)) {
            return false;
        }
        m_nodes.assign(std::size_t(m_count), Node{});
        return visit(top);
    }

private:
    struct Node {
        std::uint8_t state = 0; // 0 unseen, 1 on the walk's stack, 2 done
        std::uint32_t height = 0;
        std::uint64_t expanded = 0;
    };

    struct Frame {
        std::uint64_t index;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        std::uint32_t height = 0;
        std::uint64_t expanded = 1;
    };

    std::optional<std::uint64_t> objectOffset(std::uint64_t index) const
    {
        const std::uint64_t offset =
            readBigEndian(m_data + m_tableOffset + index * std::uint64_t(m_offsetSize), m_offsetSize);
        if (offset < 8 || offset >= m_tableOffset) {
            return std::nullopt;
        }
        return offset;
    }

    // Length of a variable-size object: the marker's low nibble, or an integer after it.
    bool lengthAt(std::uint64_t& cursor, unsigned nibble, std::uint64_t& length) const
    {
        if (nibble != 0xF) {
            length = nibble;
            return true;
        }
        if (cursor >= m_tableOffset) {
            return false;
        }
        const unsigned char marker = m_data[cursor++];
        if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3) {
            return false;
        }
        const int size = 1 << (marker & 0x0F);
        if (cursor + std::uint64_t(size) > m_tableOffset) {
            return false;
        }
        length = readBigEndian(m_data + cursor, size);
        cursor += std::uint64_t(size);
        return true;
    }

    bool fits(std::uint64_t cursor, std::uint64_t length, std::uint64_t unit = 1) const
    {
        return length <= (m_tableOffset - cursor) / unit;
    }

    // Checks one object's bytes and collects the objects it refers to.
    bool inspect(std::uint64_t index, std::vector<std::uint64_t>& children) const
    {
        auto offset = objectOffset(index);
        if (!offset) {
            return false;
        }
        std::uint64_t cursor = *offset;
        const unsigned char marker = m_data[cursor++];
        const unsigned type = marker >> 4;
        const unsigned nibble = marker & 0x0F;
        std::uint64_t length = 0;
        switch (type) {
        case 0x0:
            return marker == 0x00 || marker == 0x08 || marker == 0x09 || marker == 0x0F;
        case 0x1:
        case 0x2:
            return nibble <= 4 && fits(cursor, std::uint64_t(1) << nibble);
        case 0x3:
            return marker == 0x33 && fits(cursor, 8) && binaryDateFits(m_data + cursor);
        case 0x4:
            return lengthAt(cursor, nibble, length) && fits(cursor, length);
        case 0x5:
            return lengthAt(cursor, nibble, length) && fits(cursor, length)
                   && std::memchr(m_data + cursor, 0, std::size_t(length)) == nullptr;
        case 0x6: {
            if (!lengthAt(cursor, nibble, length) || !fits(cursor, length, 2)) {
                return false;
            }
            for (std::uint64_t i = 0; i < length; ++i) {
                if (m_data[cursor + 2 * i] == 0 && m_data[cursor + 2 * i + 1] == 0) {
                    return false;
                }
            }
            return true;
        }
        case 0x8:
            return fits(cursor, nibble + 1);
        case 0xA:
        case 0xC:
        case 0xD: {
            if (!lengthAt(cursor, nibble, length)) {
                return false;
            }
            // Every reference takes at least a byte; checked first so that doubling a
            // dictionary's count cannot wrap. One object may be referred to many times.
            if (!fits(cursor, length)) {
                return false;
            }
            const std::uint64_t refs = type == 0xD ? length * 2 : length;
            if (!fits(cursor, refs, std::uint64_t(m_refSize))) {
                return false;
            }
            children.reserve(std::size_t(refs));
            for (std::uint64_t i = 0; i < refs; ++i) {
                const std::uint64_t ref = readBigEndian(m_data + cursor + i * std::uint64_t(m_refSize), m_refSize);
                if (ref >= m_count) {
                    return false;
                }
                children.push_back(ref);
            }
            return true;
        }
        default:
            return false;
        }
    }

    bool visit(std::uint64_t top)
    {
        std::vector<Frame> stack;
        auto push = [&](std::uint64_t index) {
            Frame frame{index, {}};
            if (!inspect(index, frame.children)) {
                return false;
            }
            m_nodes[std::size_t(index)].state = 1;
            stack.push_back(std::move(frame));
            return std::uint32_t(stack.size()) <= std::uint32_t(PropertyList::maxDepth) + 1;
        };
        if (!push(top)) {
            return false;
        }
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.children.size()) {
                const std::uint64_t child = frame.children[frame.next++];
                Node& node = m_nodes[std::size_t(child)];
                if (node.state == 1) {
                    return false; // a cycle
                }
                if (node.state == 2) {
                    frame.height = std::max(frame.height, node.height);
                    frame.expanded += node.expanded;
                    if (frame.expanded > maxExpandedNodes) {
                        return false;
                    }
                    continue;
                }
                if (!push(child)) {
                    return false;
                }
                continue;
            }
            Node& done = m_nodes[std::size_t(frame.index)];
            done.state = 2;
            done.height = frame.height + 1;
            done.expanded = frame.expanded;
            stack.pop_back();
            if (!stack.empty()) {
                Frame& parent = stack.back();
                parent.height = std::max(parent.height, done.height);
                parent.expanded += done.expanded;
                if (parent.expanded > maxExpandedNodes) {
                    return false;
                }
            }
        }
        return m_nodes[std::size_t(top)].height <= std::uint32_t(PropertyList::maxDepth) + 1;
    }

    const unsigned char* m_data;
    std::uint64_t m_size;
    int m_offsetSize = 0;
    int m_refSize = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_tableOffset = 0;
    std::vector<Node> m_nodes;
};

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

// `depth` is the number of containers around `node`; at most maxDepth containers nest.
bool nestsTooDeep(bool isContainer, int depth)
{
    return depth > PropertyList::maxDepth || (isContainer && depth >= PropertyList::maxDepth);
}

std::optional<QVariant> toVariant(plist_t node, int depth)
{
    if (!node) {
        return std::nullopt;
    }
    const plist_type type = plist_get_node_type(node);
    if (nestsTooDeep(type == PLIST_DICT || type == PLIST_ARRAY, depth)) {
        return std::nullopt;
    }
    switch (type) {
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter) {
            return std::nullopt;
        }
        bool ok = true;
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            auto converted = toVariant(value, depth + 1);
            if (!key || !converted) {
                std::free(key);
                ok = false;
                break;
            }
            map.insert(QString::fromUtf8(key), *converted);
            std::free(key);
        }
        std::free(iter);
        if (!ok) {
            return std::nullopt;
        }
        return QVariant(map);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t size = plist_array_get_size(node);
        list.reserve(int(std::min<uint32_t>(size, 1u << 16)));
        for (uint32_t i = 0; i < size; ++i) {
            auto converted = toVariant(plist_array_get_item(node, i), depth + 1);
            if (!converted) {
                return std::nullopt;
            }
            list.append(*converted);
        }
        return QVariant(list);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        if (type == PLIST_STRING) {
            // Read in place, not copied out.
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            if (!text) {
                return std::nullopt;
            }
            return QVariant(QString::fromUtf8(text, qsizetype(length)));
        }
        char* text = nullptr;
        plist_get_key_val(node, &text);
        if (!text) {
            return std::nullopt;
        }
        QString value = QString::fromUtf8(text);
        std::free(text);
        return QVariant(value);
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT: {
        // libplist keeps every integer as 64 bits; values written from negative numbers come
        // back as their two's complement, except those that really lie above INT64_MAX.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return QVariant(qint64(value));
    }
    case PLIST_UID: {
        // A keyed archive's object reference, as Apple's tools show it in XML.
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant(QVariantMap{{QString::fromLatin1(uidKey), QVariant(qint64(value))}});
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        if (length > uint64_t(std::numeric_limits<int>::max())) {
            std::free(bytes);
            return std::nullopt;
        }
        QByteArray value(bytes ? bytes : "", qsizetype(bytes ? length : 0));
        std::free(bytes);
        return QVariant(value);
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // A binary date is a double that libplist splits into whole seconds, truncated
        // towards zero, and the fraction's size in µs, truncated too: -1.055 s comes as
        // (-1, 54999). Rounding to the millisecond keeps a date steady across rewrites.
        const qint64 fraction = std::lround(std::abs(usec) / 1000.0);
        return QVariant(referenceDate().addMSecs(qint64(sec) * 1000 + (sec < 0 ? -fraction : fraction)));
    }
    case PLIST_NONE:
    default:
        return std::nullopt;
    }
}

// {"CF$UID": n}, the form a keyed archive's object reference takes in XML and here.
std::optional<std::uint64_t> uidOf(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    const QVariantMap map = value.toMap();
    const QVariant number = map.value(QString::fromLatin1(uidKey));
    if (map.size() != 1 || number.typeId() != QMetaType::LongLong || number.toLongLong() < 0) {
        return std::nullopt;
    }
    return std::uint64_t(number.toLongLong());
}

plist_t fromVariant(const QVariant& value, int depth)
{
    const bool isContainer = value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QVariantMap
                             || value.typeId() == QMetaType::QVariantHash;
    if (nestsTooDeep(isContainer, depth)) {
        return nullptr;
    }
    if (auto uid = uidOf(value)) {
        return plist_new_uid(*uid);
    }
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        plist_t dict = plist_new_dict();
        auto insert = [&](const QString& key, const QVariant& item) {
            plist_t child = fromVariant(item, depth + 1);
            if (!child) {
                return false;
            }
            plist_dict_set_item(dict, key.toUtf8().constData(), child);
            return true;
        };
        bool ok = true;
        if (value.typeId() == QMetaType::QVariantMap) {
            const QVariantMap map = value.toMap();
            for (auto it = map.cbegin(); ok && it != map.cend(); ++it) {
                ok = insert(it.key(), it.value());
            }
        } else {
            const QVariantHash hash = value.toHash();
            for (auto it = hash.cbegin(); ok && it != hash.cend(); ++it) {
                ok = insert(it.key(), it.value());
            }
        }
        if (!ok) {
            plist_free(dict);
            return nullptr;
        }
        return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant& item : value.toList()) {
            plist_t child = fromVariant(item, depth + 1);
            if (!child) {
                plist_free(array);
                return nullptr;
            }
            plist_array_append_item(array, child);
        }
        return array;
    }
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::SChar:
        return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return plist_new_uint(uint64_t(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid()) {
            return nullptr;
        }
        const qint64 msecs = referenceDate().msecsTo(date);
        if (!dateFits(double(msecs) / 1000)) {
            return nullptr;
        }
        qint64 sec = msecs / 1000;
        qint64 msec = msecs % 1000;
        if (msec < 0) {
            sec -= 1;
            msec += 1000;
        }
        return plist_new_date(int32_t(sec), int32_t(msec * 1000));
    }
    default:
        return nullptr;
    }
}

} // namespace

std::optional<QVariant> PropertyList::parse(const QByteArray& data)
{
    // libplist takes 32-bit lengths and needs a header's worth of bytes to tell formats.
    if (data.size() < 8 || data.size() > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    const auto length = uint32_t(data.size());
    if (plist_is_binary(data.constData(), length)) {
        if (!BinaryScreen(data).acceptable()) {
            return std::nullopt;
        }
        plist_from_bin(data.constData(), length, &root);
    } else {
        if (!xmlAcceptable(data)) {
            return std::nullopt;
        }
        plist_from_xml(data.constData(), length, &root);
    }
    PlistPtr owner(root);
    return toVariant(root, 0);
}

std::optional<QByteArray> PropertyList::serialize(const QVariant& value, Format format)
{
    PlistPtr root(fromVariant(value, 0));
    if (!root) {
        return std::nullopt;
    }
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::Xml) {
        plist_to_xml(static_cast<plist_t>(root.get()), &bytes, &length);
    } else {
        plist_to_bin(static_cast<plist_t>(root.get()), &bytes, &length);
    }
    if (!bytes) {
        return std::nullopt;
    }
    QByteArray result(bytes, qsizetype(length));
    if (format == Format::Xml) {
        plist_to_xml_free(bytes);
    } else {
        plist_to_bin_free(bytes);
    }
    return result;
}

} // namespace vantrel
