// vantrel:// links read into launch requests, and the card a request names.
#include "launch/LaunchRequest.h"
#include "support/TempSimulatedMac.h"
#include "text/L10n.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;
using By = LaunchRequest::By;
using M = LaunchArchitecture;

namespace {

struct LaunchRequestTest : ::testing::Test {
    TempSimulatedMac mac; // the interface language is the Mac's
    void language(const char* code)
    {
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QString::fromLatin1(code));
    }
};

LaunchCard card(const QString& name, const QString& path, M mode, bool available = true, const char* id = nullptr)
{
    LogicApp app{id ? QUuid(QString::fromLatin1(id)) : QUuid::createUuid(), name, path, false, {}};
    LogicAppMetadata metadata{QStringLiteral("com.apple.logic10"),
                              QStringLiteral("11.0"),
                              std::nullopt,
                              {BinaryArchitecture::arm64, BinaryArchitecture::x86_64},
                              name,
                              NSImageRef{path}};
    LaunchCard made{LaunchCard::makeID(app, mode), app, metadata, mode, available, std::nullopt};
    if (!available) {
        made.unavailabilityReason = QStringLiteral("no slice");
    }
    return made;
}

// Both cards of one copy, native first, as the panel lists them.
QList<LaunchCard> copy(const QString& name, const QString& path, bool nativeAvailable = true,
                       bool rosettaAvailable = true)
{
    LaunchCard native = card(name, path, M::native, nativeAvailable);
    LaunchCard rosetta = native;
    rosetta.architecture = M::rosetta;
    rosetta.id = LaunchCard::makeID(native.app, M::rosetta);
    rosetta.isAvailable = rosettaAvailable;
    rosetta.unavailabilityReason = rosettaAvailable ? std::nullopt : std::optional(QStringLiteral("no Rosetta"));
    return {native, rosetta};
}

} // namespace

TEST_F(LaunchRequestTest, ALinkReadsIntoTheRequestItSpellsOut)
{
    const LinkReading byName = readLaunchLink(QUrl(QStringLiteral("vantrel://launch?name=Logic%20Pro%2010.7")));
    ASSERT_TRUE(byName.request) << byName.refusal.toStdString();
    EXPECT_EQ(*byName.request, (LaunchRequest{By::name, QStringLiteral("Logic Pro 10.7"), std::nullopt,
                                              LaunchAction::launch, std::nullopt}));

    const LinkReading everything = readLaunchLink(
        QUrl(QStringLiteral("VANTREL://launch/?path=/Applications/Logic%20Pro.app&mode=rosetta&action=launchSafeMode"
                            "&project=file:///Users/me/Music/Song%20%C2%AB1%C2%BB.logicx")));
    ASSERT_TRUE(everything.request) << everything.refusal.toStdString();
    EXPECT_EQ(*everything.request,
              (LaunchRequest{By::path, QStringLiteral("/Applications/Logic Pro.app"), M::rosetta,
                             LaunchAction::launchSafeMode, QStringLiteral("/Users/me/Music/Song «1».logicx")}));

    const LinkReading byID = readLaunchLink(QUrl(QStringLiteral(
        "vantrel://launch?id=AB-native&action=launchWithoutRecentProject&project=/Users/me/./A.logicx/")));
    ASSERT_TRUE(byID.request);
    EXPECT_EQ(byID.request->by, By::id);
    EXPECT_EQ(byID.request->action, LaunchAction::launchWithoutRecentProject);
    EXPECT_EQ(byID.request->project, QStringLiteral("/Users/me/A.logicx"));
}

TEST_F(LaunchRequestTest, AMalformedLinkIsRefusedWithWhatIsWrongInTheInterfaceLanguage)
{
    language("en");
    const QList<std::pair<QString, QString>> refused = {
        {QStringLiteral("vantrel://open?name=X"), QStringLiteral("only vantrel://launch?… links are known")},
        {QStringLiteral("vantrel://launch/now?name=X"), QStringLiteral("only vantrel://launch?… links are known")},
        {QStringLiteral("vantrel://user@launch?name=X"), QStringLiteral("only vantrel://launch?… links are known")},
        {QStringLiteral("vantrel://launch?name=X#top"), QStringLiteral("only vantrel://launch?… links are known")},
        {QStringLiteral("https://launch?name=X"), QStringLiteral("only vantrel://launch?… links are known")},
        {QStringLiteral("vantrel://launch"), QStringLiteral("it must name one copy, by name, path or id")},
        {QStringLiteral("vantrel://launch?name=X&id=Y"), QStringLiteral("it must name one copy, by name, path or id")},
        {QStringLiteral("vantrel://launch?name=X&name=Y"), QStringLiteral("“name” is given twice")},
        {QStringLiteral("vantrel://launch?name=X&colour=red"), QStringLiteral("“colour” is not a key it may have")},
        {QStringLiteral("vantrel://launch?name=%20"), QStringLiteral("“ ” is not a value for “name”")},
        {QStringLiteral("vantrel://launch?path=Applications/X.app"),
         QStringLiteral("“Applications/X.app” is not a value for “path”")},
        {QStringLiteral("vantrel://launch?name=X&mode=intel"), QStringLiteral("“intel” is not a value for “mode”")},
        {QStringLiteral("vantrel://launch?name=X&action=revealInFinder"),
         QStringLiteral("“revealInFinder” is not a value for “action”")},
        {QStringLiteral("vantrel://launch?name=X&project=Music/A.logicx"),
         QStringLiteral("“Music/A.logicx” is not a value for “project”")},
        {QStringLiteral("vantrel://launch?name=X&project=file://evil.example/A.logicx"),
         QStringLiteral("“file://evil.example/A.logicx” is not a value for “project”")},
        {QStringLiteral("vantrel://launch?name=a%0Ab"), QString()}, // no copy has it: refused when chosen
        {QStringLiteral("vantrel://launch?name=") + QString(9000, u'x'), QStringLiteral("it is too long")},
    };
    for (const auto& [link, why] : refused) {
        const LinkReading reading = readLaunchLink(QUrl(link));
        if (why.isEmpty()) {
            EXPECT_TRUE(reading.request) << link.toStdString();
            continue;
        }
        EXPECT_FALSE(reading.request) << link.toStdString();
        EXPECT_EQ(reading.refusal, QStringLiteral("The vantrel:// link was refused: ") + why + u'.')
            << link.toStdString();
    }
    language("ru");
    EXPECT_EQ(readLaunchLink(QUrl(QStringLiteral("vantrel://launch?name=X&colour=red"))).refusal,
              QStringLiteral("Ссылка vantrel:// отклонена: ключа «colour» в ней быть не может."));
    // Control characters from a web page are shown escaped.
    EXPECT_EQ(readLaunchLink(QUrl(QStringLiteral("vantrel://launch?name=X&a%0Ab=1"))).refusal,
              QStringLiteral("Ссылка vantrel:// отклонена: ключа «a\\nb» в ней быть не может."));
}

TEST_F(LaunchRequestTest, TheCardIsTheOneTheRequestNamesInTheModeAskedForOrTheFirstThatStarts)
{
    language("en");
    const QList<LaunchCard> current = copy(QStringLiteral("Logic Pro"), QStringLiteral("/Applications/Logic Pro.app"));
    const QList<LaunchCard> intel = copy(QStringLiteral("Logic Pro X"), QStringLiteral("/Applications/Logic Pro X.app"),
                                         false); // no arm64 slice
    const QList<LaunchCard> cards = current + intel;
    auto chosen = [&](LaunchRequest request) {
        const CardChoice choice = chooseCard(request, cards);
        EXPECT_TRUE(choice.card) << choice.refusal.toStdString();
        return choice.card ? choice.card->id : QString();
    };
    EXPECT_EQ(chosen({By::name, QStringLiteral("logic pro "), {}, {}, {}}), current[0].id) << "native first";
    EXPECT_EQ(chosen({By::name, QStringLiteral("Logic Pro"), M::rosetta, {}, {}}), current[1].id);
    EXPECT_EQ(chosen({By::name, QStringLiteral("Logic Pro X"), {}, {}, {}}), intel[1].id)
        << "without a mode, Rosetta when native cannot start";
    EXPECT_EQ(chosen({By::path, QStringLiteral("/Applications/./Logic Pro X.app/"), {}, {}, {}}), intel[1].id);
    EXPECT_EQ(chosen({By::id, current[1].id, {}, {}, {}}), current[1].id) << "a card's id names its mode";
    EXPECT_EQ(chosen({By::id, current[1].app.idText(), M::rosetta, {}, {}}), current[1].id)
        << "an installation's id with a mode";

    auto refusal = [&](LaunchRequest request, const QList<LaunchCard>& among) {
        const CardChoice choice = chooseCard(request, among);
        EXPECT_FALSE(choice.card);
        return choice.refusal;
    };
    EXPECT_EQ(refusal({By::name, QStringLiteral("Logic 9"), {}, {}, {}}, cards),
              QStringLiteral("No Logic Pro is named “Logic 9”. Installed: Logic Pro, Logic Pro X."));
    EXPECT_EQ(
        refusal({By::path, QStringLiteral("/Applications/Logic 9.app"), {}, {}, {}}, {}),
        QStringLiteral("No Logic Pro in the list is at “/Applications/Logic 9.app”. Installed: No Logic Pro found."));
    EXPECT_EQ(refusal({By::id, current[0].id, M::rosetta, {}, {}}, cards),
              QStringLiteral("Logic Pro has no Rosetta card."));
    EXPECT_EQ(refusal({By::name, QStringLiteral("Logic Pro X"), M::native, {}, {}}, cards),
              QStringLiteral("Logic Pro X · Native cannot start: no slice"));
    EXPECT_EQ(refusal({By::name, QStringLiteral("Logic Pro X"), M::native, {}, {}}, {intel[0]}),
              QStringLiteral("Logic Pro X · Native cannot start: no slice"));
    const QList<LaunchCard> twins =
        cards + copy(QStringLiteral("Logic Pro"), QStringLiteral("/Users/me/Applications/Logic Pro.app"));
    EXPECT_EQ(refusal({By::name, QStringLiteral("Logic Pro"), {}, {}, {}}, twins),
              QStringLiteral("Several copies are named “Logic Pro”: Logic Pro (/Applications/Logic Pro.app), "
                             "Logic Pro (/Users/me/Applications/Logic Pro.app). Name one by its path or id."));
    language("ru");
    EXPECT_EQ(refusal({By::name, QStringLiteral("Logic 9"), {}, {}, {}}, cards),
              QStringLiteral("Нет Logic Pro с именем «Logic 9». Установлены: Logic Pro, Logic Pro X."));
    EXPECT_EQ(refusal({By::id, current[0].id, M::rosetta, {}, {}}, cards),
              QStringLiteral("У Logic Pro нет карточки «Rosetta»."));
}
