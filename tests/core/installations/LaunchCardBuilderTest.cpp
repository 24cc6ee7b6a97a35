#include "installations/LaunchCardBuilder.h"
#include "installations/ArchitectureDetector.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;
using A = BinaryArchitecture;
using M = LaunchArchitecture;

namespace {

ResolvedLogicApp installation(const QString& name, SliceSet slices, QSet<M> hidden = {})
{
    LogicApp app{QUuid::createUuid(), name, QStringLiteral("/Applications/") + name + QStringLiteral(".app"), false,
                 hidden};
    LogicAppMetadata metadata{QStringLiteral("com.apple.logic10"), QStringLiteral("11.0"), std::nullopt, slices, name,
                              NSImageRef{app.bundlePath}};
    return {app, metadata, false};
}

struct Expected {
    M mode;
    bool available;
    std::optional<QString> reason;
    QString label;
};

void expectCards(const QList<LaunchCard>& cards, const QList<Expected>& expected)
{
    ASSERT_EQ(cards.size(), expected.size());
    for (int i = 0; i < cards.size(); ++i) {
        EXPECT_EQ(cards[i].architecture, expected[i].mode) << i;
        EXPECT_EQ(cards[i].isAvailable, expected[i].available) << i;
        EXPECT_EQ(cards[i].unavailabilityReason, expected[i].reason) << i;
        EXPECT_EQ(cards[i].modeText(), expected[i].label) << i;
    }
}

struct CardsTest : ::testing::Test {
    TempSimulatedMac mac;
    void SetUp() override
    {
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    }
    void installRosetta() { mac.writeFile(QStringLiteral("/usr/libexec/rosetta/runtime"), "x"); }
};

} // namespace

TEST_F(CardsTest, AvailabilityBySlicesWithRosettaInstalled)
{
    installRosetta();
    ArchitectureDetector detector(test::host().fileSystem());
    const auto universal = installation(QStringLiteral("Universal"), {A::arm64, A::x86_64});
    const auto armOnly = installation(QStringLiteral("Arm"), {A::arm64});
    const auto intelOnly = installation(QStringLiteral("Intel"), {A::x86_64});
    const auto unreadable = installation(QStringLiteral("Unreadable"), {});

    auto cards = LaunchCardBuilder::buildCards({universal}, detector);
    expectCards(cards, {{M::native, true, std::nullopt, QStringLiteral("Native")},
                        {M::rosetta, true, std::nullopt, QStringLiteral("Rosetta")}});
    EXPECT_EQ(cards[0].id, universal.app.idText() + QStringLiteral("-native"));
    EXPECT_EQ(cards[1].id, universal.app.idText() + QStringLiteral("-rosetta"));
    EXPECT_EQ(cards[0].app, universal.app);
    EXPECT_EQ(cards[0].metadata, *universal.metadata);

    expectCards(LaunchCardBuilder::buildCards({armOnly}, detector),
                {{M::native, true, std::nullopt, QStringLiteral("arm64 only")}});
    expectCards(LaunchCardBuilder::buildCards({intelOnly}, detector),
                {{M::native, false, QStringLiteral("No arm64 slice in this binary."), QStringLiteral("Native")},
                 {M::rosetta, true, std::nullopt, QStringLiteral("Rosetta")}});
    expectCards(LaunchCardBuilder::buildCards({unreadable}, detector),
                {{M::native, false, QStringLiteral("No arm64 slice in this binary."), QStringLiteral("arm64 only")}});

    // Order: installations as given, native before rosetta.
    cards = LaunchCardBuilder::buildCards({intelOnly, universal, armOnly}, detector);
    QStringList ids;
    for (const auto& card : cards) {
        ids << card.id;
    }
    EXPECT_EQ(ids, (QStringList{intelOnly.app.idText() + QStringLiteral("-native"),
                                intelOnly.app.idText() + QStringLiteral("-rosetta"),
                                universal.app.idText() + QStringLiteral("-native"),
                                universal.app.idText() + QStringLiteral("-rosetta"),
                                armOnly.app.idText() + QStringLiteral("-native")}));
}

TEST_F(CardsTest, WithoutRosettaEveryRosettaCardIsUnavailableForGood)
{
    ArchitectureDetector detector(test::host().fileSystem());
    const auto universal = installation(QStringLiteral("Universal"), {A::arm64, A::x86_64});
    const auto intelOnly = installation(QStringLiteral("Intel"), {A::x86_64});
    const QString reason = QStringLiteral("Rosetta 2 is not installed.");
    expectCards(LaunchCardBuilder::buildCards({universal, intelOnly}, detector),
                {{M::native, true, std::nullopt, QStringLiteral("Native")},
                 {M::rosetta, false, reason, QStringLiteral("Rosetta")},
                 {M::native, false, QStringLiteral("No arm64 slice in this binary."), QStringLiteral("Native")},
                 {M::rosetta, false, reason, QStringLiteral("Rosetta")}});
    installRosetta();
    EXPECT_FALSE(LaunchCardBuilder::buildCards({universal}, detector)[1].isAvailable)
        << "the detector's answer is cached";

    // Reasons are resolved in the language current at build time.
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    const auto russian = LaunchCardBuilder::buildCards({intelOnly}, detector);
    EXPECT_EQ(russian[0].unavailabilityReason, QStringLiteral("В этом бинарнике нет среза arm64."));
    EXPECT_EQ(russian[1].unavailabilityReason, QStringLiteral("Rosetta 2 не установлена."));
    EXPECT_EQ(LaunchCardBuilder::buildCards({installation(QStringLiteral("Arm"), {A::arm64})}, detector)[0].modeText(),
              QStringLiteral("только arm64"));
}

TEST_F(CardsTest, HiddenModesMissingInstallationsAndSelectionRepair)
{
    installRosetta();
    ArchitectureDetector detector(test::host().fileSystem());
    auto universal = installation(QStringLiteral("Universal"), {A::arm64, A::x86_64});
    const auto nativeHidden = installation(QStringLiteral("NoNative"), {A::arm64, A::x86_64}, {M::native});
    const auto bothHidden = installation(QStringLiteral("None"), {A::arm64, A::x86_64}, {M::native, M::rosetta});
    auto missing = installation(QStringLiteral("Missing"), {A::arm64});
    missing.metadata.reset();
    missing.isMissing = true;
    auto flaggedMissing = installation(QStringLiteral("Flagged"), {A::arm64});
    flaggedMissing.isMissing = true;

    const auto cards =
        LaunchCardBuilder::buildCards({nativeHidden, bothHidden, missing, flaggedMissing, universal}, detector);
    ASSERT_EQ(cards.size(), 3);
    EXPECT_EQ(cards[0].id, nativeHidden.app.idText() + QStringLiteral("-rosetta"));
    EXPECT_EQ(cards[1].app.id, universal.app.id);

    const QString rosettaID = universal.app.idText() + QStringLiteral("-rosetta");
    EXPECT_EQ(LaunchCardBuilder::repairedSelection(rosettaID, cards), rosettaID);
    universal.app.hiddenModes.insert(M::rosetta);
    const auto rebuilt = LaunchCardBuilder::buildCards({universal}, detector);
    EXPECT_EQ(LaunchCardBuilder::repairedSelection(rosettaID, rebuilt), std::nullopt);
    EXPECT_EQ(LaunchCardBuilder::repairedSelection(std::nullopt, rebuilt), std::nullopt)
        << "nothing is selected automatically";
    EXPECT_TRUE(LaunchCardBuilder::buildCards({}, detector).isEmpty());
    EXPECT_EQ(LaunchCardBuilder::repairedSelection(rosettaID, {}), std::nullopt);
}
