// The property-list reader (XML and binary) over arbitrary files, and the writer over
// whatever the reader accepts.

#include "FuzzCheck.h"

#include "plist/PropertyList.h"

#include <QVariantMap>

#include <cmath>

using vantrel::PropertyList;

namespace {

// Equal trees; a real that is not a number equals another one.
bool sameTree(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId()) {
        return false;
    }
    switch (a.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap left = a.toMap();
        const QVariantMap right = b.toMap();
        if (left.keys() != right.keys()) {
            return false;
        }
        for (auto it = left.cbegin(); it != left.cend(); ++it) {
            if (!sameTree(it.value(), right.value(it.key()))) {
                return false;
            }
        }
        return true;
    }
    case QMetaType::QVariantList: {
        const QVariantList left = a.toList();
        const QVariantList right = b.toList();
        if (left.size() != right.size()) {
            return false;
        }
        for (qsizetype i = 0; i < left.size(); ++i) {
            if (!sameTree(left[i], right[i])) {
                return false;
            }
        }
        return true;
    }
    case QMetaType::Double:
        return (std::isnan(a.toDouble()) && std::isnan(b.toDouble())) || a.toDouble() == b.toDouble();
    default:
        return a == b;
    }
}

// Whatever was read can be written in both formats and read back; what one written copy
// holds survives any number of further trips unchanged. (The bytes may differ: libplist
// does not always merge equal objects of a binary list the same way.)
void checkRoundTrip(const QVariant& value, PropertyList::Format format)
{
    const auto written = PropertyList::serialize(value, format);
    FUZZ_CHECK(written.has_value());
    const auto reread = PropertyList::parse(*written);
    FUZZ_CHECK(reread.has_value());
    const auto rewritten = PropertyList::serialize(*reread, format);
    FUZZ_CHECK(rewritten.has_value());
    const auto rereadAgain = PropertyList::parse(*rewritten);
    FUZZ_CHECK(rereadAgain.has_value());
    FUZZ_CHECK(sameTree(*reread, *rereadAgain));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto value = PropertyList::parse(vantrel::fuzz::bytes(data, size));
    if (!value) {
        return 0;
    }
    FUZZ_CHECK(value->isValid());
    checkRoundTrip(*value, PropertyList::Format::Binary);
    checkRoundTrip(*value, PropertyList::Format::Xml);
    return 0;
}
