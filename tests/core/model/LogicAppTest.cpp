#include "model/LogicApp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QByteArray list(const QByteArray& elements)
{
    return "[" + elements + "]";
}

const QByteArray validRecord =
    R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":"Logic Pro","bundlePath":"/Applications/Logic Pro.app"})";

} // namespace

TEST(LogicApp, WrittenAndReadBackItIsTheSameRecord)
{
    LogicApp app = LogicApp::make(QStringLiteral("Logic «Pro» 🎹"), QStringLiteral("/Applications/Logic Pro.app"), true);
    app.hiddenModes = {LaunchArchitecture::rosetta, LaunchArchitecture::native};
    const QJsonObject json = app.toJson();
    EXPECT_EQ(json.keys(),
              (QStringList{QStringLiteral("bundlePath"), QStringLiteral("displayName"), QStringLiteral("hiddenModes"),
                           QStringLiteral("id"), QStringLiteral("isUserDefined")}));
    EXPECT_EQ(json.value(QStringLiteral("id")).toString(), app.idText());
    EXPECT_EQ(app.idText().size(), 36);
    EXPECT_EQ(app.idText(), app.idText().toUpper());
    EXPECT_EQ(json.value(QStringLiteral("hiddenModes")).toArray(),
              (QJsonArray{QStringLiteral("native"), QStringLiteral("rosetta")}));
    EXPECT_EQ(LogicApp::fromJson(json), app);

    const QByteArray stored = QJsonDocument(QJsonArray{json, LogicApp::make({}, {}, false).toJson()}).toJson();
    auto decoded = LogicApp::decodeList(stored);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), 2);
    EXPECT_EQ(decoded->first(), app);
}

TEST(LogicApp, OptionalKeysDefaultAndExtraKeysAreIgnored)
{
    auto decoded = LogicApp::decodeList(list(validRecord));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 1);
    EXPECT_FALSE(decoded->first().isUserDefined);
    EXPECT_TRUE(decoded->first().hiddenModes.isEmpty());
    EXPECT_EQ(decoded->first().idText(), QStringLiteral("D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D"));
    EXPECT_TRUE(
        LogicApp::decodeList(list(R"({"id":"d6a1b5e2-1c3f-4a7b-9e0d-2f4c6b8a1e3d","displayName":"","bundlePath":"",
        "isUserDefined":null,"hiddenModes":["rosetta","rosetta"],"color":"red"})")));
    EXPECT_EQ(LogicApp::decodeList("[]"), QList<LogicApp>{});
}

TEST(LogicApp, OneBadRecordFailsTheWholeList)
{
    const QList<QByteArray> bad = {
        R"({"displayName":"x","bundlePath":"/x"})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","bundlePath":"/x"})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":"x"})",
        R"({"id":"not-a-uuid","displayName":"x","bundlePath":"/x"})",
        R"({"id":"{D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D}","displayName":"x","bundlePath":"/x"})",
        R"({"id":42,"displayName":"x","bundlePath":"/x"})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":5,"bundlePath":"/x"})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":"x","bundlePath":"/x","isUserDefined":"true"})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":"x","bundlePath":"/x","hiddenModes":["intel"]})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":"x","bundlePath":"/x","hiddenModes":"native"})",
        R"({"id":"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D","displayName":"x","bundlePath":"/x","hiddenModes":[1]})",
        R"("just a string")",
    };
    for (const QByteArray& record : bad) {
        EXPECT_EQ(LogicApp::decodeList(list(validRecord + "," + record)), std::nullopt) << record.toStdString();
    }
    EXPECT_EQ(LogicApp::decodeList(validRecord), std::nullopt) << "the top level must be an array";
    EXPECT_EQ(LogicApp::decodeList(list(validRecord).chopped(1)), std::nullopt) << "truncated";
    EXPECT_EQ(LogicApp::decodeList(QByteArray()), std::nullopt);
}

TEST(LogicApp, NewIdentitiesAreRandomVersion4UuidsThatTheStoreReadsBack)
{
    QSet<QUuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const QUuid id = newIdentity();
        EXPECT_EQ(id.version(), QUuid::Random);
        EXPECT_EQ(id.variant(), QUuid::DCE);
        EXPECT_EQ(parseUuid(id.toString(QUuid::WithoutBraces)), id) << "the stored form reads back";
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000);
    EXPECT_NE(LogicApp::make(QStringLiteral("A"), QStringLiteral("/A.app"), false).id, newIdentity());
}
