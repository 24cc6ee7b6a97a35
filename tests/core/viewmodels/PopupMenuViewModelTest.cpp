#include "viewmodels/PopupMenuViewModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// A header, a separator, an action, a disabled action, a separator and two actions: the
// shape of a card's menu, with something that cannot be chosen at every edge.
Menu sampleMenu()
{
    using Kind = MenuItem::Kind;
    Menu menu;
    menu.items = {
        {Kind::header, QStringLiteral("Logic Pro — 11.0 · Rosetta"), {}, {}, false},
        {Kind::separator, {}, {}, {}, false},
        {Kind::action, QStringLiteral("Launch"), QStringLiteral("play.fill"), QStringLiteral("launch"), true},
        {Kind::action, QStringLiteral("Disabled"), {}, QStringLiteral("disabled"), false},
        {Kind::separator, {}, {}, {}, false},
        {Kind::action, QStringLiteral("Reveal"), QStringLiteral("eye"), QStringLiteral("reveal"), true},
        {Kind::action, QStringLiteral("Info"), {}, QStringLiteral("info"), true},
    };
    return menu;
}

} // namespace

TEST(PopupMenuViewModelTest, RowsCarryWhatTheViewDraws)
{
    PopupMenuViewModel menu(sampleMenu());
    const QVariantList rows = menu.rows();
    ASSERT_EQ(rows.size(), 7);
    EXPECT_TRUE(rows[0].toMap()[QStringLiteral("isHeader")].toBool());
    EXPECT_FALSE(rows[0].toMap()[QStringLiteral("enabled")].toBool()) << "a header is never chosen";
    EXPECT_TRUE(rows[1].toMap()[QStringLiteral("isSeparator")].toBool());
    EXPECT_EQ(rows[2].toMap()[QStringLiteral("symbol")], QStringLiteral("play.fill"));
    EXPECT_TRUE(rows[2].toMap()[QStringLiteral("enabled")].toBool());
    EXPECT_FALSE(rows[3].toMap()[QStringLiteral("enabled")].toBool());
}

TEST(PopupMenuViewModelTest, TheKeyboardSkipsWhatCannotBeChosenAndStopsAtTheEnds)
{
    PopupMenuViewModel menu(sampleMenu());
    EXPECT_EQ(menu.highlightedIndex(), -1);
    EXPECT_TRUE(menu.keyPressed(Qt::Key_Down));
    EXPECT_EQ(menu.highlightedIndex(), 2) << "past the header and the separator";
    menu.keyPressed(Qt::Key_Down);
    EXPECT_EQ(menu.highlightedIndex(), 5) << "past the disabled item and the separator";
    menu.keyPressed(Qt::Key_Down);
    menu.keyPressed(Qt::Key_Down);
    EXPECT_EQ(menu.highlightedIndex(), 6) << "the last stays";
    menu.keyPressed(Qt::Key_Home);
    EXPECT_EQ(menu.highlightedIndex(), 2);
    menu.keyPressed(Qt::Key_Up);
    EXPECT_EQ(menu.highlightedIndex(), 2) << "the first stays";
    menu.keyPressed(Qt::Key_End);
    EXPECT_EQ(menu.highlightedIndex(), 6);

    PopupMenuViewModel fresh(sampleMenu());
    fresh.keyPressed(Qt::Key_Up);
    EXPECT_EQ(fresh.highlightedIndex(), 6) << "Up with nothing highlighted starts from the bottom";
    EXPECT_FALSE(fresh.keyPressed(Qt::Key_A)) << "other keys are not the menu's";
}

TEST(PopupMenuViewModelTest, AMenuEndsOnceByAChoiceOrADismissal)
{
    PopupMenuViewModel menu(sampleMenu());
    QSignalSpy chosen(&menu, &PopupMenuViewModel::chosen);
    QSignalSpy dismissed(&menu, &PopupMenuViewModel::dismissed);
    menu.keyPressed(Qt::Key_Return);
    menu.choose(0);
    menu.choose(3);
    EXPECT_EQ(chosen.count(), 0) << "nothing highlighted, a header and a disabled item choose nothing";
    menu.hover(3);
    EXPECT_EQ(menu.highlightedIndex(), -1) << "a disabled item is not highlighted";
    menu.hover(5);
    menu.leave(2);
    EXPECT_EQ(menu.highlightedIndex(), 5) << "leaving another row keeps the highlight";
    menu.keyPressed(Qt::Key_Space);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0], QStringLiteral("reveal"));
    EXPECT_TRUE(menu.isFinished());
    menu.choose(6);
    menu.keyPressed(Qt::Key_Escape);
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(dismissed.count(), 0) << "an ended menu takes nothing more";

    PopupMenuViewModel other(sampleMenu());
    QSignalSpy otherDismissed(&other, &PopupMenuViewModel::dismissed);
    other.keyPressed(Qt::Key_Escape);
    other.dismiss();
    EXPECT_EQ(otherDismissed.count(), 1);
}
