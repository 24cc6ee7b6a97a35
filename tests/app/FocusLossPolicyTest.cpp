#include "app/FocusLossPolicy.h"
#include "async/ManualClock.h"
#include "async/Timings.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

struct FocusLossTest : ::testing::Test {
    ManualClock clock;
    bool closeOnFocusLoss = true;
    bool active = false;
    bool settingsVisible = false;
    bool launching = false;
    bool pointerOnMenuBar = false;
    bool buttonDown = false;
    const QRect ourWindow{500, 300, 560, 204};
    int closes = 0;
    FocusLossPolicy policy{clock,
                           {.closeOnFocusLoss = [this] { return closeOnFocusLoss; },
                            .isApplicationActive = [this] { return active; },
                            .isSettingsWindowVisible = [this] { return settingsVisible; },
                            .isViewModelLaunching = [this] { return launching; },
                            .isPointerOnMenuBar = [this] { return pointerOnMenuBar; },
                            .isMenuBarPoint = [](QPoint point) { return point.y() < 25; },
                            .isInsideOurWindows = [this](QPoint point) { return ourWindow.contains(point); },
                            .isMouseButtonDown = [this] { return buttonDown; }},
                           [this] { ++closes; }};

    // The application loses activation and `after` passes.
    int resignAndWait(std::chrono::nanoseconds after = 150ms)
    {
        const int before = closes;
        active = false;
        policy.applicationResignedActive();
        clock.advance(after);
        return closes - before;
    }
};

} // namespace

TEST_F(FocusLossTest, LosingActivationClosesAfterAShortDelayUnlessActiveAgain)
{
    EXPECT_EQ(resignAndWait(149ms), 0) << "not before 0.15 s";
    clock.advance(1ms);
    EXPECT_EQ(closes, 1);

    // Back within 0.15 s: nothing.
    active = false;
    policy.applicationResignedActive();
    clock.advance(100ms);
    active = true;
    policy.applicationBecameActive();
    EXPECT_FALSE(policy.hasPendingClose());
    clock.advance(1s);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(clock.sleeperCount(), 0u) << "the cancelled wait leaves nothing behind";

    // The preference off: never.
    closeOnFocusLoss = false;
    EXPECT_EQ(resignAndWait(1s), 0);
    // Turned off while the close waits: the close checks again.
    closeOnFocusLoss = true;
    active = false;
    policy.applicationResignedActive();
    closeOnFocusLoss = false;
    clock.advance(1s);
    EXPECT_EQ(closes, 1);
}

TEST_F(FocusLossTest, SuppressionWindowsAndBusyStatesKeepTheLauncherOpen)
{
    // Each window of the shell, from its start to just before its end.
    using namespace vantrel::timings;
    for (Duration window :
         {suppressOpeningSettings, suppressSettingsClosed, suppressAfterPanelMove, suppressAfterFailedLaunch,
          suppressWhileHiddenForLaunch, suppressLeavingThroughLink, Duration(350ms), Duration(1500ms)}) {
        policy.suppressFocusLossClose(window);
        EXPECT_EQ(resignAndWait(window - 1ms), 0) << window.count();
        clock.advance(1s);
        EXPECT_EQ(closes, 0) << "the resign came inside the window: no close is scheduled";
        EXPECT_EQ(resignAndWait(), 1) << "once the window is over, losing the focus closes again";
        closes = 0;
    }

    // A suppression cancels a close already waiting (the menu opened just then).
    active = false;
    policy.applicationResignedActive();
    clock.advance(100ms);
    policy.suppressFocusLossClose(350ms);
    clock.advance(1s);
    EXPECT_EQ(closes, 0);
    policy.resetSuppression();

    policy.menuTrackingBegan();
    EXPECT_EQ(resignAndWait(10s), 0) << "a menu is open for as long as it takes";
    policy.menuTrackingEnded();
    clock.advance(150ms);
    EXPECT_EQ(closes, 1) << "activation lost during the menu closes once the menu is gone";
    closes = 0;
    active = true;
    policy.menuTrackingBegan();
    policy.menuTrackingEnded();
    clock.advance(1s);
    EXPECT_EQ(closes, 0) << "still active after the menu: nothing to close";

    policy.setBusyLaunching(true);
    EXPECT_EQ(resignAndWait(), 0);
    policy.setBusyLaunching(false);
    launching = true;
    EXPECT_EQ(resignAndWait(), 0);
    launching = false;
    settingsVisible = true;
    EXPECT_EQ(resignAndWait(), 0);
    settingsVisible = false;

    // Became busy while the close waited.
    active = false;
    policy.applicationResignedActive();
    policy.setBusyLaunching(true);
    clock.advance(1s);
    EXPECT_EQ(closes, 0);
    policy.setBusyLaunching(false);

    pointerOnMenuBar = true;
    EXPECT_EQ(resignAndWait(), 0) << "a click on the menu bar";
    pointerOnMenuBar = false;
    EXPECT_EQ(resignAndWait(), 1);
}

TEST_F(FocusLossTest, AClickInAnotherApplicationClosesByItsOwnLocation)
{
    policy.outsideClick({700, 10});
    EXPECT_EQ(closes, 0) << "on the menu bar (another application's menu)";
    policy.outsideClick({600, 400});
    EXPECT_EQ(closes, 0) << "inside one of our windows";
    pointerOnMenuBar = true; // where the pointer is now does not matter
    policy.outsideClick({100, 500});
    EXPECT_EQ(closes, 1);
    policy.suppressFocusLossClose(350ms);
    policy.outsideClick({100, 500});
    closeOnFocusLoss = false;
    clock.advance(1s);
    policy.outsideClick({100, 500});
    EXPECT_EQ(closes, 1) << "suppressed, then the preference off";
}

TEST_F(FocusLossTest, AHeldButtonPostponesTheCloseAndADragThatEntersCancelsIt)
{
    // A press in another application that starts a drag towards the launcher.
    buttonDown = true;
    EXPECT_EQ(resignAndWait(1s), 0) << "not while the button is held";
    EXPECT_TRUE(policy.hasPendingClose());
    policy.dragEntered();
    EXPECT_FALSE(policy.hasPendingClose());
    buttonDown = false;
    clock.advance(1s);
    EXPECT_EQ(closes, 0) << "the drag reached the launcher";
    EXPECT_EQ(clock.sleeperCount(), 0u);

    // A plain click elsewhere: the close comes when the button is released.
    buttonDown = true;
    EXPECT_EQ(resignAndWait(), 0);
    clock.advance(2s);
    EXPECT_EQ(closes, 0);
    buttonDown = false;
    clock.advance(vantrel::timings::mouseButtonPoll);
    EXPECT_EQ(closes, 1);

    // Back to the launcher before the release: nothing.
    buttonDown = true;
    resignAndWait();
    active = true;
    policy.applicationBecameActive();
    buttonDown = false;
    clock.advance(1s);
    EXPECT_EQ(closes, 1);

    // The same for a click seen by the monitor of other applications' clicks.
    buttonDown = true;
    policy.outsideClick({100, 500});
    clock.advance(1s);
    EXPECT_EQ(closes, 1);
    buttonDown = false;
    clock.advance(1s);
    EXPECT_EQ(closes, 2);
}

TEST_F(FocusLossTest, MovingThePanelKeepsItOpenUntilAMomentAfterTheRelease)
{
    // The window manager takes the focus while it moves the window.
    buttonDown = true;
    policy.windowMoveStarted();
    EXPECT_EQ(resignAndWait(5s), 0);
    buttonDown = false;
    clock.advance(50ms);
    EXPECT_FALSE(policy.isWindowMoving());
    EXPECT_EQ(resignAndWait(299ms), 0) << "the focus may come back just after the release";
    clock.advance(1ms);
    EXPECT_EQ(resignAndWait(), 1);
}

TEST(FocusLossPolicy, TheMenuBarIsAtTheTopOfTheScreenHoldingThePoint)
{
    // A 1440×900 screen with a 25-point bar, and a second screen to its right without one.
    const QList<std::pair<QRect, QRect>> screens = {
        {QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 875)},
        {QRect(1440, 0, 1280, 1024), QRect(1440, 0, 1280, 1024)},
    };
    EXPECT_TRUE(FocusLossPolicy::isMenuBarPoint({700, 0}, screens));
    EXPECT_TRUE(FocusLossPolicy::isMenuBarPoint({700, 25}, screens)) << "one point of slack";
    EXPECT_FALSE(FocusLossPolicy::isMenuBarPoint({700, 26}, screens));
    EXPECT_FALSE(FocusLossPolicy::isMenuBarPoint({1500, 10}, screens)) << "that screen has no bar";
    EXPECT_TRUE(FocusLossPolicy::isMenuBarPoint({-50, 5}, screens)) << "off every screen: the primary one decides";
    EXPECT_FALSE(FocusLossPolicy::isMenuBarPoint({10, 10}, {}));
}
