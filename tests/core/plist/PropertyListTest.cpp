#include "plist/PropertyList.h"
#include "plist/PropertyListScreen.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTimeZone>
#include <QUrl>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

using vantrel::PropertyList;
using Format = PropertyList::Format;

namespace {

QVariant everyType()
{
    QVariantMap nested;
    nested.insert(QStringLiteral("empty array"), QVariantList{});
    nested.insert(QStringLiteral("empty dict"), QVariantMap{});
    QVariantMap map;
    map.insert(QStringLiteral("string"), QStringLiteral("Logic Pro — «тест» 🎹 & <xml>"));
    map.insert(QStringLiteral("numeric string"), QStringLiteral("42"));
    map.insert(QStringLiteral("empty string"), QStringLiteral(""));
    map.insert(QStringLiteral("true"), true);
    map.insert(QStringLiteral("false"), false);
    map.insert(QStringLiteral("zero"), qint64(0));
    map.insert(QStringLiteral("one"), qint64(1));
    map.insert(QStringLiteral("negative"), qint64(-1));
    map.insert(QStringLiteral("min"), std::numeric_limits<qint64>::min());
    map.insert(QStringLiteral("max"), std::numeric_limits<qint64>::max());
    map.insert(QStringLiteral("real"), 0.15);
    map.insert(QStringLiteral("whole real"), 2.0);
    map.insert(QStringLiteral("data"), QByteArray("\x00\x01\xfe\xff binary", 11));
    map.insert(QStringLiteral("empty data"), QByteArray());
    map.insert(QStringLiteral("date"), QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53), QTimeZone::utc()));
    map.insert(QStringLiteral("array"), QVariantList{qint64(1), QStringLiteral("two"), 3.5, false});
    map.insert(QStringLiteral("nested"), nested);
    return map;
}

// Exact equality including the kind of each value, which QVariant's == does not check.
void expectSameTree(const QVariant& expected, const QVariant& actual, const QString& where = QStringLiteral("/"))
{
    const auto kind = [](const QVariant& v) {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return QMetaType::LongLong;
        default:
            return QMetaType::Type(v.typeId());
        }
    };
    ASSERT_EQ(kind(expected), kind(actual)) << where.toStdString();
    if (expected.typeId() == QMetaType::QVariantMap) {
        const auto e = expected.toMap();
        const auto a = actual.toMap();
        ASSERT_EQ(e.keys(), a.keys()) << where.toStdString();
        for (auto it = e.cbegin(); it != e.cend(); ++it) {
            expectSameTree(it.value(), a.value(it.key()), where + it.key() + u'/');
        }
    } else if (expected.typeId() == QMetaType::QVariantList) {
        const auto e = expected.toList();
        const auto a = actual.toList();
        ASSERT_EQ(e.size(), a.size()) << where.toStdString();
        for (int i = 0; i < e.size(); ++i) {
            expectSameTree(e[i], a[i], where + QString::number(i) + u'/');
        }
    } else {
        EXPECT_EQ(expected, actual) << where.toStdString();
    }
}

QByteArray nestedArraysXml(int depth)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i) {
        xml += "<array>";
    }
    for (int i = 0; i < depth; ++i) {
        xml += "</array>";
    }
    return xml + "</plist>";
}

} // namespace

TEST(PropertyList, EveryTypeRoundTripsExactlyInBothFormats)
{
    for (Format format : {Format::Xml, Format::Binary}) {
        auto bytes = PropertyList::serialize(everyType(), format);
        ASSERT_TRUE(bytes.has_value());
        auto parsed = PropertyList::parse(*bytes);
        ASSERT_TRUE(parsed.has_value()) << (format == Format::Xml ? "xml" : "binary");
        expectSameTree(everyType(), *parsed);
        if (format == Format::Xml) {
            // Written as every other reader takes them: signed, and a large unsigned
            // number in its own digits (not as a 128-bit integer's).
            for (const char* integer : {"<integer>-1</integer>", "<integer>-9223372036854775808</integer>",
                                        "<integer>9223372036854775807</integer>"}) {
                EXPECT_TRUE(bytes->contains(integer)) << integer;
            }
        }
    }
}

TEST(PropertyList, DetectsTheFormatAndTopLevelScalars)
{
    auto xml = PropertyList::serialize(QStringLiteral("just a string"), Format::Xml);
    auto bin = PropertyList::serialize(qint64(7), Format::Binary);
    ASSERT_TRUE(xml && bin);
    EXPECT_TRUE(xml->startsWith("<?xml"));
    EXPECT_TRUE(bin->startsWith("bplist00"));
    EXPECT_EQ(PropertyList::parse(*xml), QVariant(QStringLiteral("just a string")));
    EXPECT_EQ(PropertyList::parse(*bin), QVariant(qint64(7)));
}

TEST(PropertyList, ReadsAHandWrittenInfoPlist)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleExecutable</key>
	<string>Logic Pro X</string>
	<key>CFBundleShortVersionString</key>
	<string>  11.0.1
</string>
	<key>LSMinimumSystemVersion</key>
	<integer>14</integer>
	<key>NSHighResolutionCapable</key>
	<true/>
</dict>
</plist>
)";
    auto parsed = PropertyList::parse(xml);
    ASSERT_TRUE(parsed);
    const QVariantMap map = parsed->toMap();
    EXPECT_EQ(map.value(QStringLiteral("CFBundleExecutable")), QVariant(QStringLiteral("Logic Pro X")));
    EXPECT_EQ(map.value(QStringLiteral("CFBundleShortVersionString")).toString(), QStringLiteral("  11.0.1\n"));
    EXPECT_EQ(map.value(QStringLiteral("LSMinimumSystemVersion")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(map.value(QStringLiteral("NSHighResolutionCapable")), QVariant(true));

    // The same keys read straight from the tree: strings only, in the order asked for.
    constexpr std::array<const char*, 4> keys{"CFBundleShortVersionString", "LSMinimumSystemVersion",
                                              "CFBundleIdentifier", "CFBundleExecutable"};
    const auto strings = PropertyList::dictionaryStrings(xml, keys);
    ASSERT_TRUE(strings);
    ASSERT_EQ(strings->size(), 4u);
    EXPECT_EQ((*strings)[0], QStringLiteral("  11.0.1\n"));
    EXPECT_EQ((*strings)[1], std::nullopt) << "an integer is no string";
    EXPECT_EQ((*strings)[2], std::nullopt) << "missing";
    EXPECT_EQ((*strings)[3], QStringLiteral("Logic Pro X"));
    EXPECT_FALSE(PropertyList::dictionaryStrings(*PropertyList::serialize(QVariantList{1}, Format::Xml), keys))
        << "the top level is no dictionary";
}

TEST(PropertyList, MalformedTruncatedAndForeignInputYieldsNoValue)
{
    auto valid = PropertyList::serialize(everyType(), Format::Binary);
    auto validXml = PropertyList::serialize(everyType(), Format::Xml);
    ASSERT_TRUE(valid && validXml);
    const QList<QByteArray> bad = {
        QByteArray(),
        QByteArray("bplist"),
        QByteArray("bplist00"),
        QByteArray("#!/bin/sh\necho hello\n"),
        QByteArray("<plist version=\"1.0\"><string>a&#0;b</string></plist>"),
        QByteArray("<plist version=\"1.0\"><dict><key>k</key><string>a&#x00;b</string></dict></plist>"),
        QByteArray("<plist version=\"1.0\"><string>a\0b</string></plist>", 47),
        QByteArray("<plist version=\"1.0\"><dict><key>a</key><string>unterminated"),
        valid->left(valid->size() / 2),
        valid->left(valid->size() - 3),
        validXml->left(validXml->size() / 2),
    };
    constexpr std::array<const char*, 1> keys{"k"};
    for (const QByteArray& data : bad) {
        EXPECT_FALSE(PropertyList::parse(data).has_value()) << data.left(40).toStdString();
        EXPECT_FALSE(PropertyList::dictionaryStrings(data, keys).has_value()) << data.left(40).toStdString();
    }
}

TEST(PropertyList, RandomGarbageAndBitFlipsNeverCrash)
{
    auto valid = PropertyList::serialize(everyType(), Format::Binary);
    ASSERT_TRUE(valid);
    QRandomGenerator random(20261206);
    for (int round = 0; round < 3000; ++round) {
        QByteArray data = *valid;
        const int flips = 1 + int(random.bounded(8));
        for (int i = 0; i < flips; ++i) {
            data[int(random.bounded(quint32(data.size())))] = char(random.bounded(256));
        }
        if (round % 3 == 0) {
            data.truncate(int(random.bounded(quint32(data.size()))));
        }
        (void)PropertyList::parse(data); // any answer will do; it must come back
        (void)PropertyList::dictionaryStrings(data, std::array<const char*, 1>{"a"});
    }
    for (int round = 0; round < 500; ++round) {
        QByteArray data(int(8 + random.bounded(512)), Qt::Uninitialized);
        for (auto& byte : data) {
            byte = char(random.bounded(256));
        }
        if (round % 2 == 0) {
            data.replace(0, 8, "bplist00");
        }
        (void)PropertyList::parse(data);
    }
    SUCCEED();
}

TEST(PropertyList, DeepNestingIsBoundedBothWays)
{
    // The limit exactly: 256 levels are read, 257 are not, in both formats.
    ASSERT_EQ(PropertyList::maxDepth, 256);
    EXPECT_EQ(PropertyList::parse(nestedArraysXml(256)).value_or(QVariant()).typeId(), QMetaType::QVariantList);
    EXPECT_FALSE(PropertyList::parse(nestedArraysXml(257)).has_value());
    EXPECT_FALSE(PropertyList::parse(nestedArraysXml(200000)).has_value());
    auto nested = [](int levels) {
        QVariant value = QVariantList{};
        for (int i = 1; i < levels; ++i) {
            value = QVariantList{value};
        }
        return value;
    };
    const auto binary = PropertyList::serialize(nested(256), Format::Binary);
    ASSERT_TRUE(binary);
    EXPECT_EQ(PropertyList::parse(*binary), nested(256));
    EXPECT_FALSE(PropertyList::serialize(nested(257), Format::Binary).has_value())
        << "nothing is written that could not be read back";

    // Flat but huge: XML is held to as many elements as a binary list may expand to.
    auto flatXml = [](int elements) -> QByteArray {
        QByteArray xml = "<?xml version=\"1.0\"?><!DOCTYPE plist><plist version=\"1.0\"><array>";
        xml.reserve(xml.size() + qsizetype(elements) * 7 + 32);
        for (int i = 2; i < elements; ++i) { // plist and array count too
            xml += "<true/>";
        }
        return xml + "</array></plist>";
    };
    EXPECT_TRUE(PropertyList::parse(flatXml(1 << 20)).has_value());
    EXPECT_FALSE(PropertyList::parse(flatXml((1 << 20) + 1)).has_value());
}

TEST(PropertyList, ValuesAPropertyListCannotCarryAreRefused)
{
    EXPECT_FALSE(PropertyList::serialize(QVariant(), Format::Xml).has_value());
    EXPECT_FALSE(
        PropertyList::serialize(QVariantMap{{QStringLiteral("url"), QUrl(QStringLiteral("https://x"))}}, Format::Binary)
            .has_value());
    EXPECT_FALSE(PropertyList::serialize(QDateTime(), Format::Xml).has_value());
}

namespace {

void appendBigEndian(QByteArray& out, quint64 value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) {
        out.append(char((value >> shift) & 0xff));
    }
}

// A binary property list made of the given encoded objects (references are 4 bytes wide).
QByteArray binaryPlist(const QList<QByteArray>& objects, quint64 top = 0)
{
    QByteArray data("bplist00");
    QList<quint32> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint32(data.size()));
        data.append(object);
    }
    const quint64 tableOffset = quint64(data.size());
    for (quint32 offset : offsets) {
        appendBigEndian(data, offset, 4);
    }
    data.append(QByteArray(6, '\0'));
    data.append(char(4)); // offset int size
    data.append(char(4)); // object ref size
    appendBigEndian(data, quint64(objects.size()), 8);
    appendBigEndian(data, top, 8);
    appendBigEndian(data, tableOffset, 8);
    return data;
}

QByteArray arrayOf(const QList<quint32>& refs)
{
    QByteArray object(1, char(0xA0 | refs.size()));
    for (quint32 ref : refs) {
        appendBigEndian(object, ref, 4);
    }
    return object;
}

// `depth` arrays, each holding the next one.
QByteArray nestedArraysBinary(quint32 depth)
{
    QList<QByteArray> objects;
    for (quint32 i = 0; i < depth; ++i) {
        objects.append(i + 1 < depth ? arrayOf({i + 1}) : arrayOf({}));
    }
    return binaryPlist(objects);
}

} // namespace

TEST(PropertyList, DeeplyNestedBinaryInputIsRefusedWithoutExhaustingTheStack)
{
    auto shallow = PropertyList::parse(nestedArraysBinary(10));
    ASSERT_TRUE(shallow) << "the hand-built binary list must itself be valid";
    EXPECT_EQ(shallow->typeId(), QMetaType::QVariantList);
    EXPECT_FALSE(PropertyList::parse(nestedArraysBinary(PropertyList::maxDepth + 10)).has_value());
    EXPECT_FALSE(PropertyList::parse(nestedArraysBinary(300000)).has_value());
}

TEST(PropertyList, HostileBinaryGraphsAreRefused)
{
    // A string with a NUL inside (ASCII and UTF-16) — libplist would abort on it.
    EXPECT_FALSE(PropertyList::parse(binaryPlist({QByteArray("\x53"
                                                             "a\0b",
                                                             4)}))
                     .has_value());
    EXPECT_FALSE(PropertyList::parse(binaryPlist({QByteArray("\x62\0a\0\0", 5)})).has_value());
    EXPECT_EQ(PropertyList::parse(binaryPlist({QByteArray("\x53"
                                                          "abc",
                                                          4)})),
              QVariant(QStringLiteral("abc")));
    // An array that contains itself.
    EXPECT_FALSE(PropertyList::parse(binaryPlist({arrayOf({0})})).has_value());
    // A reference past the object table.
    EXPECT_FALSE(PropertyList::parse(binaryPlist({arrayOf({7})})).has_value());
    // A length that runs past the data.
    EXPECT_FALSE(PropertyList::parse(binaryPlist({QByteArray("\x5F\x10\xFF"
                                                             "abc",
                                                             6)}))
                     .has_value());
    // Shared references that would expand to 2^40 nodes: each array holds the next twice.
    QList<QByteArray> laughs;
    for (quint32 i = 0; i < 40; ++i) {
        laughs.append(arrayOf({i + 1, i + 1}));
    }
    laughs.append(QByteArray("\x09", 1));
    EXPECT_FALSE(PropertyList::parse(binaryPlist(laughs)).has_value());
    // The same sharing at a harmless size is fine.
    QList<QByteArray> small;
    for (quint32 i = 0; i < 4; ++i) {
        small.append(arrayOf({i + 1, i + 1}));
    }
    small.append(QByteArray("\x09", 1));
    auto parsed = PropertyList::parse(binaryPlist(small));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->toList().size(), 2);
}

TEST(PropertyList, XmlNestingIsCountedWhereLibplistReadsElements)
{
    // Every place libplist's reader passes over, holding `decoy`. A "</array>" there closes
    // nothing: counted, it would let any depth through; an "<array>" there opens nothing.
    const QList<std::pair<const char*, const char*>> places = {
        // {before the root, first value in the root}
        {"<!-- @ -->", ""},
        {"<?decoy a=\"?> @\"?>", ""},
        {"<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" [ @ ]>", ""},
        {"<!DOCTYPE plist [ <!ENTITY e \"]> @\"> ]>", ""},
        {"", "<string note=\"> @\">x</string>"},
        {"", "<string><![CDATA[ @ ]]></string>"},
        {"", "<string>x<!-- @ -->y</string>"},
        {"", "<true><!-- @ --></true>"},
    };
    auto document = [](const std::pair<const char*, const char*>& place, const QByteArray& decoy,
                       int levels) -> QByteArray {
        QByteArray xml = QByteArray("<?xml version=\"1.0\"?>") + QByteArray(place.first).replace("@", decoy)
                         + "<plist version=\"1.0\"><array>" + QByteArray(place.second).replace("@", decoy);
        xml += QByteArray("<array>").repeated(levels - 1) + QByteArray("</array>").repeated(levels);
        return xml + "</plist>\ntrailing text libplist never reads </array></array>";
    };
    auto depthOf = [](QVariant value) {
        int depth = 0;
        for (; value.typeId() == QMetaType::QVariantList; ++depth) {
            const QVariantList list = value.toList();
            value = list.isEmpty() ? QVariant() : list.last();
        }
        return depth;
    };
    for (const auto& place : places) {
        const std::string where = std::string(place.first) + place.second;
        const auto read = PropertyList::parse(document(place, QByteArray("<array>").repeated(300), 256));
        ASSERT_TRUE(read.has_value()) << where;
        EXPECT_EQ(depthOf(*read), 256) << where;
        EXPECT_EQ(read->toList().size(), *place.second ? 2 : 1) << where;
        EXPECT_FALSE(vantrel::plistscreen::xmlAcceptable(document(place, QByteArray("</array>").repeated(300), 257)))
            << where;
    }

    // What libplist stops at, the screen refuses, so nothing is counted past it.
    const QList<QByteArray> refused = {
        "<plist><array><!-- unterminated </array></array></plist>",
        "<plist><!ELEMENT x><array/></plist>",
        "<plist><array<></array></plist>",
        "<plist><array><string>a<array>b</string></array></plist>",
        "<plist><array><string>a<![CDATA[b</string></array></plist>",
        "<plist><array></dict></plist>",
        "<plist><array><unknown/></array></plist>",
        "<plist><array><string note=\"></array></plist>",
        "<plist><array>text</array></plist>",
    };
    for (const QByteArray& data : refused) {
        EXPECT_FALSE(vantrel::plistscreen::xmlAcceptable(data)) << data.toStdString();
        EXPECT_FALSE(PropertyList::parse(data).has_value()) << data.toStdString();
    }
}

namespace {

// The strings libplist's whole tree holds for `keys` at the top of `data` (through parse(),
// which the walk's reading never takes): none for what it refuses or for a top level that
// is no dictionary.
std::optional<std::vector<std::optional<QString>>> stringsOfTree(const QByteArray& data,
                                                                 std::span<const char* const> keys)
{
    const auto tree = PropertyList::parse(data);
    if (!tree || tree->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    std::vector<std::optional<QString>> values;
    for (const char* key : keys) {
        const QVariant value = tree->toMap().value(QString::fromUtf8(key));
        values.push_back(value.typeId() == QMetaType::QString ? std::optional(value.toString()) : std::nullopt);
    }
    return values;
}

} // namespace

TEST(PropertyList, RootStringsReadOnTheWalkAreWhatLibplistBuilds)
{
    using vantrel::plistscreen::XmlReading;
    constexpr std::array<const char*, 3> keys{"CFBundleIdentifier", "CFBundleExecutable", "a"};
    struct Case {
        const char* body;
        XmlReading reading;
        std::vector<std::optional<QString>> strings; // empty: no value at all
    };
    const auto none = std::optional<QString>();
    const auto text = [](const char* s) { return std::optional(QString::fromUtf8(s)); };
    const Case cases[] = {
        // The shape of real Info.plists, read on the walk.
        {"<dict>\n\t<key>CFBundleExecutable</key>\n\t<string> Logic Pro "
         "X\n</string>\n\t<key>a</key><integer>1</integer>"
         "<key>n</key><dict><key>a</key><string>nested</string><key>l</key><array><string>x</string><true/>"
         "</array></dict></dict>",
         XmlReading::Read,
         {none, text(" Logic Pro X\n"), none}},
        {"<dict><key>a</key><!-- between --><string>late</string><key>a</key><string/>"
         "<key>CFBundleIdentifier</key><string>com.apple.logic10</string><key>CFBundleIdentifier</key><array/></dict>",
         XmlReading::Read,
         {none, none, text("")}},
        {"<dict><key>CFBundleExecutable</key><string>Лоджик «Про» 🎹</string></dict>",
         XmlReading::Read,
         {none, text("Лоджик «Про» 🎹"), none}},
        // Whatever libplist builds its own way is left to it, and its answer holds.
        {"<dict><key>a</key><string>x&amp;y &#x41;</string></dict>", XmlReading::Unsure, {none, none, text("x&y A")}},
        {"<dict><key>a</key><string>x<![CDATA[<y>]]>z</string></dict>",
         XmlReading::Unsure,
         {none, none, text("x<y>z")}},
        {"<dict><key>a</key><key>CFBundleExecutable</key></dict>",
         XmlReading::Unsure,
         {none, none, text("CFBundleExecutable")}},
        {"<dict/><key>a</key><string>after an empty root</string>",
         XmlReading::Unsure,
         {none, none, text("after an empty root")}},
        {"<dict><key>a</key><plist><string>inner</string></plist></dict>",
         XmlReading::Unsure,
         {none, none, text("inner")}},
        {"<dict><key>a</key></dict>", XmlReading::Unsure, {none, none, none}},
        {"<dict><key>a</key><string>x</string><string>no key</string></dict>", XmlReading::Unsure, {}},
        {"<dict><key>n</key><dict><true/></dict></dict>", XmlReading::Unsure, {}},
        {"<dict><key>a</key><string>&bogus;</string></dict>", XmlReading::Unsure, {}},
        {"<array><string>x</string></array>", XmlReading::Unsure, {}},
        {"<string>x</string>", XmlReading::Unsure, {}},
        // Refused by the screen, so libplist never sees it.
        {"<dict><key>a</key><string>x</dict>", XmlReading::Refused, {}},
        {"<dict><key>a</key><string>&#0;</string></dict>", XmlReading::Refused, {}},
    };
    for (const Case& c : cases) {
        const QByteArray data = QByteArray("<?xml version=\"1.0\"?>\n<plist version=\"1.0\">") + c.body + "</plist>\n";
        std::vector<std::optional<QString>> values;
        EXPECT_EQ(vantrel::plistscreen::xmlRootStrings(data, keys, values), c.reading) << c.body;
        const auto read = PropertyList::dictionaryStrings(data, keys);
        if (c.strings.empty()) {
            EXPECT_FALSE(read.has_value()) << c.body;
        } else {
            EXPECT_EQ(read, std::optional(c.strings)) << c.body;
        }
        if (c.reading == XmlReading::Read) {
            EXPECT_EQ(values, c.strings) << c.body;
        }
        EXPECT_EQ(read, stringsOfTree(data, keys)) << c.body;
    }
    // libplist 2.3 and later turn a root holding only an integer CF$UID into a UID (2.2 keeps
    // the dictionary): the walk leaves every root key of that name to libplist's tree.
    for (const char* body : {"<dict><key>CF$UID</key><integer>1</integer></dict>",
                             "<dict><key>CF$UID</key><string>x</string><key>CF$UID</key><integer/></dict>"}) {
        std::vector<std::optional<QString>> values;
        EXPECT_EQ(vantrel::plistscreen::xmlRootStrings(QByteArray("<plist>") + body + "</plist>", keys, values),
                  XmlReading::Unsure)
            << body;
    }

    // Documents put together at random from the pieces above, some of them damaged: wherever
    // the walk says it read the strings, they are libplist's.
    QRandomGenerator random(29);
    const auto pick = [&](std::initializer_list<const char*> pieces) {
        return QByteArray(*(pieces.begin() + random.bounded(int(pieces.size()))));
    };
    const auto piece = [&] {
        return pick({"<key>a</key>",
                     "<key>CFBundleExecutable</key>",
                     "<key>CF$UID</key>",
                     "<key> a</key>",
                     "<key></key>",
                     "<key/>",
                     "<string>x</string>",
                     "<string> y </string>",
                     "<string/>",
                     "<string>&amp;</string>",
                     "<string>a<!--c-->b</string>",
                     "<integer>7</integer>",
                     "<true/>",
                     "<dict>",
                     "</dict>",
                     "<array>",
                     "</array>",
                     "<dict/>",
                     "<!-- c -->",
                     "<plist>",
                     "</plist>",
                     " "});
    };
    int readOnTheWalk = 0;
    for (int n = 0; n < 20000; ++n) {
        QByteArray data = pick({"<plist><dict>", "<plist version=\"1.0\"><dict>", "<dict>", "<plist><array>"});
        for (int i = random.bounded(12); i > 0; --i) {
            data +=
                random.bounded(3) == 0 ? piece() : pick({"<key>a</key>", "<key>CFBundleIdentifier</key>"}) + piece();
        }
        data += pick({"</dict></plist>", "</dict>", "</plist>", ""});
        if (random.bounded(5) == 0) {
            data[random.bounded(data.size())] = pick({"<", ">", "/", "a", " "}).front();
        }
        std::vector<std::optional<QString>> values;
        if (vantrel::plistscreen::xmlRootStrings(data, keys, values) == XmlReading::Read) {
            ++readOnTheWalk;
            ASSERT_EQ(std::optional(values), stringsOfTree(data, keys)) << data.toStdString();
        }
        ASSERT_EQ(PropertyList::dictionaryStrings(data, keys), stringsOfTree(data, keys)) << data.toStdString();
    }
    EXPECT_GT(readOnTheWalk, 500);
}

TEST(PropertyList, DatesAreKeptToTheMillisecondAndRefusedWhereTheyWouldWrap)
{
    // libplist hands dates over as 32-bit seconds and truncates binary fractions.
    auto binaryDate = [](double secondsSince2001) {
        quint64 bits = 0;
        std::memcpy(&bits, &secondsSince2001, sizeof bits);
        QByteArray object(1, char(0x33));
        appendBigEndian(object, bits, 8);
        return binaryPlist({object});
    };
    const auto read = PropertyList::parse(binaryDate(806010798.261)); // 2026-07-16 …:18.261
    ASSERT_TRUE(read.has_value());
    auto rewritten = PropertyList::parse(*PropertyList::serialize(*read, Format::Binary));
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_EQ(rewritten->toDateTime(), read->toDateTime());
    EXPECT_EQ(read->toDateTime().time().msec(), 261);
    const auto beforeOrigin = PropertyList::parse(binaryDate(-1547949.055)); // 2000-12-14 …:50.945
    ASSERT_TRUE(beforeOrigin.has_value());
    EXPECT_EQ(beforeOrigin->toDateTime().time().msec(), 945);
    EXPECT_EQ(PropertyList::parse(*PropertyList::serialize(*beforeOrigin, Format::Binary))->toDateTime(),
              beforeOrigin->toDateTime());

    // What can be written can be read back, at both ends of the range, and nothing else is.
    const QDateTime origin(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    for (const qint64 msecs : {std::numeric_limits<qint32>::max() * qint64(1000) + 999,
                               std::numeric_limits<qint32>::min() * qint64(1000), qint64(-1000)}) {
        const auto written = PropertyList::serialize(origin.addMSecs(msecs), Format::Binary);
        ASSERT_TRUE(written.has_value()) << msecs;
        EXPECT_EQ(PropertyList::parse(*written)->toDateTime(), origin.addMSecs(msecs)) << msecs;
    }
    EXPECT_FALSE(PropertyList::serialize(origin.addMSecs(-500), Format::Binary).has_value());
    EXPECT_FALSE(PropertyList::serialize(origin.addSecs(std::numeric_limits<qint32>::max()).addSecs(1), Format::Xml));
    EXPECT_FALSE(PropertyList::parse(binaryDate(-0.5)).has_value()) << "it would read as +0.5 s";
    EXPECT_FALSE(PropertyList::parse(binaryDate(3.2e9)).has_value()) << "2102 would come back as 1933";
    EXPECT_FALSE(PropertyList::parse(binaryDate(std::numeric_limits<double>::quiet_NaN())).has_value());
    const QByteArray farFuture("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>until</key>"
                               "<date>4001-01-01T00:00:00Z</date></dict></plist>");
    EXPECT_FALSE(PropertyList::parse(farFuture).has_value());
    EXPECT_TRUE(PropertyList::parse(QByteArray(farFuture).replace("4001", "2031")).has_value());
    EXPECT_FALSE(PropertyList::parse(QByteArray(farFuture).replace("4001", "40001")).has_value()) << "unreadable";
}

TEST(PropertyList, AnArrayMayReferToOneObjectManyTimes)
{
    // Writers merge equal values: ten zeros are ten references to one integer object.
    const QByteArray zero("\x10\x00", 2);
    const auto read = PropertyList::parse(binaryPlist({arrayOf(QList<quint32>(10, 1)), zero}));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toList(), QVariantList(10, QVariant(qint64(0))));
}
