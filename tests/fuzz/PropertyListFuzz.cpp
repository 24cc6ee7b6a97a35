// The property-list reader (XML and binary) over arbitrary files, and the writer over
// whatever the reader accepts.

#include "FuzzCheck.h"

#include "plist/PropertyList.h"

#include <QDateTime>
#include <QTimeZone>
#include <QVariantMap>

#include <array>
#include <cmath>

using vantrel::PropertyList;

namespace {

// Equal trees; a real that is not a number equals another one. XML keeps dates to the
// second: with `wholeSecondDates`, `b`'s dates are `a`'s without their milliseconds.
bool sameTree(const QVariant& a, const QVariant& b, bool wholeSecondDates)
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
            if (!sameTree(it.value(), right.value(it.key()), wholeSecondDates)) {
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
            if (!sameTree(left[i], right[i], wholeSecondDates)) {
                return false;
            }
        }
        return true;
    }
    case QMetaType::Double:
        return (std::isnan(a.toDouble()) && std::isnan(b.toDouble())) || a.toDouble() == b.toDouble();
    case QMetaType::QDateTime: {
        // Property-list dates count from 2001; XML's whole seconds are cut towards that origin.
        static const QDateTime origin(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
        const qint64 msecs = origin.msecsTo(a.toDateTime());
        return b.toDateTime() == origin.addMSecs(wholeSecondDates ? msecs / 1000 * 1000 : msecs);
    }
    default:
        return a == b;
    }
}

// Whatever was read is written in both formats and read back unchanged (XML dates to the
// second). The bytes themselves may differ between trips: libplist does not always merge
// equal objects of a binary list the same way.
void checkRoundTrip(const QVariant& value, PropertyList::Format format)
{
    const auto written = PropertyList::serialize(value, format);
    FUZZ_CHECK(written.has_value());
    const auto reread = PropertyList::parse(*written);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(sameTree(value, *reread, format == PropertyList::Format::Xml));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = vantrel::fuzz::bytes(data, size);
    const auto value = PropertyList::parse(input);
    // The keys read straight from the tree agree with the whole dictionary wherever both read.
    static constexpr std::array<const char*, 3> keys{"CFBundleIdentifier", "CFBundleExecutable", "a"};
    const auto strings = PropertyList::dictionaryStrings(input, keys);
    // (A keyed archive's UID also reads as a map, {"CF$UID": n}, but is no dictionary.)
    if (value && value->typeId() == QMetaType::QVariantMap && !value->toMap().contains(QStringLiteral("CF$UID"))) {
        FUZZ_CHECK(strings.has_value());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const QVariant entry = value->toMap().value(QString::fromUtf8(keys[i]));
            const std::optional<QString> expected =
                entry.typeId() == QMetaType::QString ? std::optional(entry.toString()) : std::nullopt;
            FUZZ_CHECK((*strings)[i] == expected);
        }
    }
    if (!value) {
        return 0;
    }
    FUZZ_CHECK(value->isValid());
    checkRoundTrip(*value, PropertyList::Format::Binary);
    checkRoundTrip(*value, PropertyList::Format::Xml);
    return 0;
}
