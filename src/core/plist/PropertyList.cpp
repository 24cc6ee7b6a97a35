#include "plist/PropertyList.h"
#include "plist/PropertyListScreen.h"

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
#include <string>
#include <vector>

namespace vantrel::plistscreen {

const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return date;
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

} // namespace vantrel::plistscreen

namespace vantrel {

namespace {

// What differs between the libplist versions a build may find (Debian's 2.2, Homebrew's
// 2.7): the version comes from pkg-config, as VANTREL_LIBPLIST_VERSION (20700 for 2.7.0).
#if !defined(VANTREL_LIBPLIST_VERSION)
#error "VANTREL_LIBPLIST_VERSION is not defined: the build passes the found libplist's version"
#endif

// Every buffer libplist hands out (keys, data, iterators, written documents): 2.3 and later
// free them with plist_mem_free (plist_to_xml_free and plist_to_bin_free are gone); 2.2
// allocates them with malloc and has no call of its own for most of them.
void freeBuffer(void* buffer)
{
#if VANTREL_LIBPLIST_VERSION >= 20300
    plist_mem_free(buffer);
#else
    std::free(buffer);
#endif
}

// An integer as it is written back: 2.3 and later write a node made by plist_new_uint
// above INT_MAX as an unsigned 128-bit integer (in XML its unsigned digits), so a negative
// number would come back as 2^64 less its size; plist_new_int keeps it signed. 2.2 has
// only plist_new_uint, which it writes as signed 64 bits.
plist_t newSignedInteger(qint64 value)
{
#if VANTREL_LIBPLIST_VERSION >= 20300
    return plist_new_int(value);
#else
    return plist_new_uint(uint64_t(value));
#endif
}

plist_t newUnsignedInteger(quint64 value)
{
    return value <= quint64(std::numeric_limits<qint64>::max()) ? newSignedInteger(qint64(value))
                                                                : plist_new_uint(value);
}

// A date as whole seconds from 2001-01-01 (truncated towards zero) and the fraction's size
// in µs. 2.7 reads and writes whole seconds through its Unix-date calls and deprecates the
// pair of 32-bit seconds and µs; that pair is still the only call that carries a fraction,
// so it is used for the fraction alone (and only where there is one to write).
#if VANTREL_LIBPLIST_VERSION >= 20700
constexpr std::int64_t unixSecondsAt2001 = 978307200;
#define VANTREL_PLIST_FRACTION_BEGIN                                                                                   \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wdeprecated-declarations\"")
#define VANTREL_PLIST_FRACTION_END _Pragma("GCC diagnostic pop")
#else
#define VANTREL_PLIST_FRACTION_BEGIN
#define VANTREL_PLIST_FRACTION_END
#endif

void dateValue(plist_t node, std::int64_t& seconds, std::int32_t& microseconds)
{
    std::int32_t sec = 0;
    std::int32_t usec = 0;
    VANTREL_PLIST_FRACTION_BEGIN
    plist_get_date_val(node, &sec, &usec);
    VANTREL_PLIST_FRACTION_END
    seconds = sec;
#if VANTREL_LIBPLIST_VERSION >= 20700
    std::int64_t unixSeconds = 0;
    plist_get_unix_date_val(node, &unixSeconds);
    seconds = unixSeconds - unixSecondsAt2001;
#endif
    microseconds = usec;
}

plist_t newDate(std::int64_t seconds, std::int32_t microseconds)
{
#if VANTREL_LIBPLIST_VERSION >= 20700
    if (microseconds == 0) {
        return plist_new_unix_date(seconds + unixSecondsAt2001);
    }
#endif
    VANTREL_PLIST_FRACTION_BEGIN
    plist_t date = plist_new_date(std::int32_t(seconds), microseconds);
    VANTREL_PLIST_FRACTION_END
    return date;
}

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

constexpr const char* uidKey = "CF$UID";

using plistscreen::dateFits;
using plistscreen::referenceDate;

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
                freeBuffer(key);
                break;
            }
            auto converted = toVariant(value, depth + 1);
            if (!key || !converted) {
                freeBuffer(key);
                ok = false;
                break;
            }
            // A binary list may name a key twice: libplist keeps both entries and its
            // lookups find the first, so the first holds here too (XML keeps only the last).
            const QString name = QString::fromUtf8(key);
            if (!map.contains(name)) {
                map.insert(name, *converted);
            }
            freeBuffer(key);
        }
        freeBuffer(iter);
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
        freeBuffer(text);
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
            freeBuffer(bytes);
            return std::nullopt;
        }
        QByteArray value(bytes ? bytes : "", qsizetype(bytes ? length : 0));
        freeBuffer(bytes);
        return QVariant(value);
    }
    case PLIST_DATE: {
        std::int64_t sec = 0;
        std::int32_t usec = 0;
        dateValue(node, sec, usec);
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
        return newSignedInteger(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return newUnsignedInteger(value.toULongLong());
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
        return newDate(sec, std::int32_t(msec * 1000));
    }
    default:
        return nullptr;
    }
}

} // namespace

namespace {

// libplist takes 32-bit lengths and needs a header's worth of bytes to tell formats.
bool sizeReadable(const QByteArray& data)
{
    return data.size() >= 8 && data.size() <= std::numeric_limits<int32_t>::max();
}

bool isXml(const QByteArray& data)
{
    return !plist_is_binary(data.constData(), uint32_t(data.size()));
}

// The tree of data libplist is given only once the screening has taken it (`xmlScreened`:
// XML the caller has screened already); none for empty, malformed, truncated or over-deep
// input.
PlistPtr parsedTree(const QByteArray& data, bool xmlScreened = false)
{
    if (!sizeReadable(data)) {
        return nullptr;
    }
    plist_t root = nullptr;
    const auto length = uint32_t(data.size());
    if (!isXml(data)) {
        if (!plistscreen::binaryAcceptable(data)) {
            return nullptr;
        }
        plist_from_bin(data.constData(), length, &root);
    } else {
        if (!xmlScreened && !plistscreen::xmlAcceptable(data)) {
            return nullptr;
        }
        plist_from_xml(data.constData(), length, &root);
    }
    return PlistPtr(root);
}

} // namespace

std::optional<QVariant> PropertyList::parse(const QByteArray& data)
{
    const PlistPtr root = parsedTree(data);
    return toVariant(static_cast<plist_t>(root.get()), 0);
}

namespace {

// The node at `path` below `root`: names of dictionary keys and array indexes, separated by
// "/" ("AudioComponents/0/name"). None where a step is missing or of the wrong kind.
plist_t nodeAt(plist_t root, const char* path)
{
    plist_t node = root;
    std::string step;
    for (const char* p = path; node; ++p) {
        if (*p != '/' && *p != '\0') {
            step.push_back(*p);
            continue;
        }
        if (plist_get_node_type(node) == PLIST_DICT) {
            node = plist_dict_get_item(node, step.c_str());
        } else if (plist_get_node_type(node) == PLIST_ARRAY && !step.empty() && step.size() < 10
                   && std::all_of(step.cbegin(), step.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
            const auto index = std::stoul(step);
            node = index < plist_array_get_size(node) ? plist_array_get_item(node, uint32_t(index)) : nullptr;
        } else {
            node = nullptr;
        }
        if (*p == '\0') {
            break;
        }
        step.clear();
    }
    return node;
}

} // namespace

std::optional<std::vector<std::optional<QString>>> PropertyList::dictionaryStrings(const QByteArray& data,
                                                                                   std::span<const char* const> keys)
{
    // An Info.plist of the usual shape is read on its screening, without libplist's tree.
    bool screened = false;
    if (sizeReadable(data) && isXml(data)
        && std::none_of(keys.begin(), keys.end(), [](const char* key) { return std::strchr(key, '/'); })) {
        std::vector<std::optional<QString>> values;
        switch (plistscreen::xmlRootStrings(data, keys, values)) {
        case plistscreen::XmlReading::Refused:
            return std::nullopt;
        case plistscreen::XmlReading::Read:
            return values;
        case plistscreen::XmlReading::Unsure:
            screened = true;
            break;
        }
    }
    const PlistPtr owner = parsedTree(data, screened);
    const auto root = static_cast<plist_t>(owner.get());
    if (root && plist_get_node_type(root) == PLIST_UID) {
        // libplist 2.3 and later read a root holding only an integer CF$UID as a UID; parse()
        // shows it as the dictionary {"CF$UID": n} (as 2.2 builds it), which holds no string.
        return std::vector<std::optional<QString>>(keys.size());
    }
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        return std::nullopt;
    }
    std::vector<std::optional<QString>> values;
    values.reserve(keys.size());
    for (const char* key : keys) {
        const plist_t node = std::strchr(key, '/') ? nodeAt(root, key) : plist_dict_get_item(root, key);
        uint64_t length = 0;
        const char* text =
            node && plist_get_node_type(node) == PLIST_STRING ? plist_get_string_ptr(node, &length) : nullptr;
        values.push_back(text ? std::optional(QString::fromUtf8(text, qsizetype(length))) : std::nullopt);
    }
    return values;
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
    freeBuffer(bytes);
    return result;
}

} // namespace vantrel
