#include "text/L10n.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"
#include "text/LocalizationStore.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace vantrel;
using L10n::Key;
using vantrel::testing::TempSimulatedMac;

namespace {

void storeLanguage(TempSimulatedMac& mac, const QString& code)
{
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), code);
}

} // namespace

TEST(L10n, EveryKeyHasTextInBothLanguagesInDeclarationOrder)
{
    const auto& keys = allCases<Key>();
    QSet<QString> names;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(std::size_t(keys[i]), i);
        const QString name = rawValue(keys[i]);
        names.insert(name);
        for (AppLanguage language : allCases<AppLanguage>()) {
            const QString text = L10n::string(keys[i], language);
            EXPECT_FALSE(text.isEmpty()) << name.toStdString();
            EXPECT_NE(text, name) << name.toStdString() << " fell back to its key name";
        }
    }
    EXPECT_EQ(names.size(), qsizetype(keys.size()));
}

TEST(L10n, TextsKeepTheirExactCharacters)
{
    EXPECT_EQ(L10n::string(Key::browse, AppLanguage::english), QStringLiteral("Browse…"));
    EXPECT_EQ(L10n::string(Key::startedMode, AppLanguage::english), QStringLiteral("Started %@ · %@"));
    EXPECT_TRUE(L10n::string(Key::safeModeHint, AppLanguage::russian).contains(QChar(0x2303)));
    EXPECT_TRUE(L10n::string(Key::parallelTentative, AppLanguage::russian).contains(QStringLiteral("из\u2011за")));
    EXPECT_EQ(L10n::string(Key::errorAppNotFound, AppLanguage::english),
              QStringLiteral("Logic Pro was not found at \u201C%@\u201D."));
    EXPECT_EQ(L10n::string(Key::errorAppNotFound, AppLanguage::russian),
              QStringLiteral("Logic Pro не найден по пути «%@»."));
    EXPECT_TRUE(L10n::string(Key::errorRosettaNotInstalled, AppLanguage::english)
                    .contains(QStringLiteral("`softwareupdate --install-rosetta`")));
    EXPECT_TRUE(L10n::string(Key::developerCredit, AppLanguage::english).startsWith(QStringLiteral("Developer — ")));
    EXPECT_TRUE(L10n::string(Key::developerCredit, AppLanguage::russian).startsWith(QStringLiteral("Разработчик — ")));
    EXPECT_EQ(pickerName(AppLanguage::russian), QStringLiteral("Русский"));
    EXPECT_EQ(pickerName(AppLanguage::english), QStringLiteral("English"));
}

TEST(L10n, FormattingFillsPlaceholdersOnceAndNeverRescansArguments)
{
    EXPECT_EQ(L10n::format(QStringLiteral("Open project: %@"), {QStringLiteral("100%@ mix %d")}),
              QStringLiteral("Open project: 100%@ mix %d"));
    EXPECT_EQ(
        L10n::format(QStringLiteral("open --arch %@ exited with status %d."), {QStringLiteral("x86_64"), qint64(1)}),
        QStringLiteral("open --arch x86_64 exited with status 1."));
    EXPECT_EQ(L10n::format(QStringLiteral("Started %@ · %@"), {}), QStringLiteral("Started %@ · %@"));
    EXPECT_EQ(L10n::format(QStringLiteral("100% sure"), {}), QStringLiteral("100% sure"));
    EXPECT_EQ(L10n::format(QStringLiteral("%d%% of %@"), {qint64(-5), QStringLiteral("x")}),
              QStringLiteral("-5% of x"));
    EXPECT_EQ(L10n::format(QStringLiteral("%@ and %@"), {QStringLiteral("one")}), QStringLiteral("one and %@"));
    EXPECT_EQ(L10n::format(QStringLiteral("trailing %"), {QStringLiteral("x")}), QStringLiteral("trailing %"));
    EXPECT_EQ(L10n::text(AppLanguage::english, Key::errorOpenArchFailed, "arm64", 255),
              QStringLiteral("open --arch arm64 exited with status 255."));
    EXPECT_EQ(L10n::text(AppLanguage::russian, Key::errorOpenArchFailed, "arm64", 1),
              QStringLiteral("open --arch arm64 завершился с кодом 1."));
}

TEST(L10n, CurrentLanguageFollowsTheStoredValue)
{
    TempSimulatedMac mac;
    EXPECT_EQ(L10n::currentLanguage(), AppLanguage::russian) << "nothing stored means Russian";
    EXPECT_EQ(L10n::text(Key::settingsWindowTitle), QStringLiteral("Настройки Vantrel"));
    storeLanguage(mac, QStringLiteral("en"));
    EXPECT_EQ(L10n::currentLanguage(), AppLanguage::english);
    EXPECT_EQ(L10n::text(Key::openProjectBanner, QStringLiteral("Song.logicx")),
              QStringLiteral("Open project: Song.logicx"));
    storeLanguage(mac, QStringLiteral("de"));
    EXPECT_EQ(L10n::currentLanguage(), AppLanguage::russian);
    EXPECT_EQ(L10n::text(Key::openProjectBanner, QStringLiteral("Song.logicx")),
              QStringLiteral("Открыть проект: Song.logicx"));
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), 1);
    EXPECT_EQ(L10n::currentLanguage(), AppLanguage::russian) << "a value of another type is no language";
}

TEST(LocalizationStore, ConstructionReadsAndWritesNothingUntilTheLanguageIsSet)
{
    TempSimulatedMac mac;
    LocalizationStore store(mac.host().standardDefaults());
    EXPECT_EQ(store.language(), AppLanguage::russian);
    EXPECT_EQ(store.revision(), 0);
    EXPECT_FALSE(mac.readFile(QStringLiteral("~/Library/Preferences/com.vantrel.app.plist")).has_value())
        << "construction must not write the defaults";

    storeLanguage(mac, QStringLiteral("de"));
    LocalizationStore withUnknown(mac.host().standardDefaults());
    EXPECT_EQ(withUnknown.language(), AppLanguage::russian);
    EXPECT_EQ(mac.host().standardDefaults()->string(QStringLiteral("appLanguage")), QStringLiteral("de"))
        << "an unknown value stays until the user picks a language";

    storeLanguage(mac, QStringLiteral("en"));
    EXPECT_EQ(LocalizationStore(mac.host().standardDefaults()).language(), AppLanguage::english);
}

TEST(LocalizationStore, EverySetWritesAndRaisesTheRevision)
{
    TempSimulatedMac mac;
    LocalizationStore& store = test::localization();
    EXPECT_EQ(&store, &test::localization());
    int languageSignals = 0;
    int revisionSignals = 0;
    QObject::connect(&store, &LocalizationStore::languageChanged, [&] { ++languageSignals; });
    QObject::connect(&store, &LocalizationStore::revisionChanged, [&] { ++revisionSignals; });

    store.setLanguage(AppLanguage::english);
    EXPECT_EQ(store.revision(), 1);
    EXPECT_EQ(mac.host().standardDefaults()->string(QStringLiteral("appLanguage")), QStringLiteral("en"));
    EXPECT_EQ(L10n::currentLanguage(), AppLanguage::english) << "L10n follows the store at once";
    EXPECT_EQ(store.t(Key::settingsWindowTitle), QStringLiteral("Vantrel Settings"));
    EXPECT_EQ(store.t(Key::startedMode), QStringLiteral("Started %@ · %@"));

    mac.host().standardDefaults()->removeValue(QStringLiteral("appLanguage"));
    store.setLanguage(AppLanguage::english);
    EXPECT_EQ(store.revision(), 2);
    EXPECT_EQ(mac.host().standardDefaults()->string(QStringLiteral("appLanguage")), QStringLiteral("en"))
        << "setting the same language writes again";
    EXPECT_EQ(languageSignals, 1);
    EXPECT_EQ(revisionSignals, 2);

    store.setLanguageCode(QStringLiteral("ru"));
    EXPECT_EQ(store.language(), AppLanguage::russian);
    EXPECT_EQ(store.text(QStringLiteral("openProjectBanner"), {QStringLiteral("A.logicx")}),
              QStringLiteral("Открыть проект: A.logicx"));
    store.setLanguageCode(QStringLiteral("de"));
    EXPECT_EQ(store.revision(), 3) << "an unknown code is ignored";
    EXPECT_EQ(store.text(QStringLiteral("noSuchKey")), QStringLiteral("noSuchKey"));
}
