pragma ComponentBehavior: Bound

import QtQuick
import Vantrel

// The cards in a row, 10 apart: centred when they fit, scrolling sideways (without
// indicators) when they do not. While it scrolls, a card cut by an edge fades with the
// part of it out of view (nothing is drawn over the glass, so the panel's rounded outline
// stays whole), a mouse
// wheel of either direction scrolls it, and the selected card is kept whole in view.
Item {
    id: stripView
    required property LauncherViewModel viewModel
    property HoverTip tip: null

    ListView {
        id: strip
        objectName: "cardStrip"
        // The row of cards only: below it, the panel's background moves the panel.
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: Math.min(parent.height, 16 + 132 + 16)
        orientation: ListView.Horizontal
        spacing: 10
        // Centred by the cards' own widths: the list's contentWidth is only an estimate
        // while it lays the row out, and a margin bound to it would loop.
        leftMargin: stripView.viewModel.stripScrolls
                    ? 18 : Math.max(18, (width - stripView.viewModel.cardCount * (152 + spacing) + spacing) / 2)
        rightMargin: 18
        interactive: stripView.viewModel.stripScrolls
        boundsBehavior: Flickable.StopAtBounds
        clip: stripView.viewModel.stripScrolls
        model: stripView.viewModel.cardModel
        currentIndex: -1

        readonly property real firstX: originX - leftMargin
        readonly property real lastX: Math.max(firstX, originX + contentWidth + rightMargin - width)

        function scrollTo(x) {
            return Math.max(firstX, Math.min(x, lastX));
        }

        // Scrolls so that the selected card shows whole, with the strip's own padding.
        function revealSelection() {
            const index = stripView.viewModel.selectedIndex;
            if (!interactive || index < 0) {
                return;
            }
            const left = originX + index * (152 + spacing);
            let target = contentX;
            if (left - 18 < contentX) {
                target = left - 18;
            } else if (left + 152 + 18 > contentX + width) {
                target = left + 152 + 18 - width;
            }
            target = scrollTo(target);
            if (target !== contentX) {
                reveal.to = target;
                reveal.restart();
            }
        }

        delegate: LogicCardView {
            viewModel: stripView.viewModel
            tip: stripView.tip
            // 12 clear above a card raised to 1.05 (132 × 0.025 ≈ 3.3 more).
            y: 16
            // A card cut by an edge fades with the part of it that is out of view.
            edgeOpacity: {
                if (!strip.interactive) {
                    return 1.0;
                }
                const left = x - strip.contentX;
                const shown = Math.min(left + width, strip.width) - Math.max(left, 0);
                return Math.max(0, Math.min(1, shown / width)) ** 2;
            }
        }

        NumberAnimation {
            id: reveal
            target: strip
            property: "contentX"
            duration: 180
            easing.type: Easing.OutCubic
        }

        // An ordinary mouse wheel turns vertically: either direction scrolls the row.
        WheelHandler {
            enabled: strip.interactive
            target: null
            onWheel: (event) => {
                const pixels = event.pixelDelta.x !== 0 || event.pixelDelta.y !== 0
                    ? (Math.abs(event.pixelDelta.y) > Math.abs(event.pixelDelta.x) ? event.pixelDelta.y : event.pixelDelta.x)
                    : (Math.abs(event.angleDelta.y) > Math.abs(event.angleDelta.x) ? event.angleDelta.y : event.angleDelta.x) / 2;
                reveal.stop();
                strip.contentX = strip.scrollTo(strip.contentX - pixels);
            }
        }
    }

    Connections {
        target: stripView.viewModel
        function onSelectedCardIDChanged() { strip.revealSelection(); }
        // A rebuild lays the row out again first. (Qt 6.4 declares Qt.callLater a QJSValue
        // property, which qmllint doubts is callable.)
        function onCardsChanged() { Qt.callLater(strip.revealSelection); } // qmllint disable type
    }
}
