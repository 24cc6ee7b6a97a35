#pragma once

#include <QByteArray>
#include <QVariant>

#include <optional>
#include <span>
#include <vector>

namespace vantrel {

// Reads and writes Apple property lists (XML and binary) as QVariant trees:
//   dictionary → QVariantMap, array → QVariantList, string → QString, boolean → bool,
//   integer → qint64 (values above INT64_MAX wrap, as libplist keeps no sign), real →
//   double, data → QByteArray, a keyed archive's UID → {"CF$UID": qint64},
//   date → QDateTime (UTC; the XML form keeps whole seconds, the binary form milliseconds).
// Reading never throws and never crashes on hostile input: anything it cannot take
// whole is "no value".
class PropertyList final {
public:
    enum class Format { Xml, Binary };

    // Nesting deeper than this is refused on reading and writing; real property lists
    // stay far below it.
    static constexpr int maxDepth = 256;

    // Detects the format from the data. No value for empty, malformed, truncated or
    // over-deep input.
    static std::optional<QVariant> parse(const QByteArray& data);

    // The string values of `keys` in a top-level dictionary, in their order (none where a
    // key is missing or holds no string), read straight from the parsed tree: nothing else
    // of the dictionary is converted. A key with "/" is a path through nested dictionaries
    // and arrays ("AudioComponents/0/name": the first array entry's "name"). No value for what parse() refuses, or when
    // the top level is no dictionary.
    static std::optional<std::vector<std::optional<QString>>> dictionaryStrings(const QByteArray& data,
                                                                                std::span<const char* const> keys);

    // No value when `value` holds something a property list cannot carry (a null
    // QVariant, an unknown type, a dictionary deeper than maxDepth).
    static std::optional<QByteArray> serialize(const QVariant& value, Format format);

    PropertyList() = delete;
};

} // namespace vantrel
