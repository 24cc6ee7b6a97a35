pragma ComponentBehavior: Bound

import QtQuick
import Vantrel

// One launch card: the mode's icon (dimmed with a warning badge when the card cannot
// launch), the name, the version and the mode. It grows a little when hovered or selected.
Item {
    id: card
    required property LauncherViewModel viewModel
    property HoverTip tip: null
    required property string cardID
    required property string displayName
    required property bool isRosetta
    required property string modeText
    required property bool isAvailable
    required property string unavailabilityReason
    required property string versionText
    required property string accessibleName
    required property string accessibleDescription
    required property string toolTip
    // Set by the strip: how far the card has faded towards a scrolling edge.
    property real edgeOpacity: 1.0

    readonly property bool isSelected: viewModel.selectedCardID === cardID
    readonly property bool isHovered: hover.hovered
    readonly property bool raised: isHovered || isSelected

    objectName: "card-" + cardID
    width: 152
    height: 132
    opacity: (isAvailable ? 1.0 : 0.7) * edgeOpacity
    visible: edgeOpacity > 0
    scale: raised ? 1.05 : 1.0
    // A short spring: quick, with a little overshoot.
    Behavior on scale { NumberAnimation { duration: 280; easing.type: Easing.OutBack; easing.overshoot: 0.8 } }

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.description: accessibleDescription

    // One of the four rings of the icon's shadow, centred in an area that wide on a whole
    // pixel (as anchoring centres an item of odd width).
    component ShadowRing: Rectangle {
        required property int ring
        required property bool raised
        required property real areaWidth
        readonly property int spread: (raised ? 10 : 5) * (ring + 1) / 4
        x: Math.floor((areaWidth - width) / 2)
        y: 2 + (raised ? 3 : 2) - spread / 2 + 2
        width: 58 + spread
        height: 58 + spread
        radius: 14 + spread / 2
        color: Qt.rgba(0, 0, 0, (raised ? 0.35 : 0.18) / 4)
    }

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: card.raised ? Qt.rgba(1, 1, 1, 0.14) : "transparent"
        border.width: card.isSelected || card.isHovered ? 1 : 0
        border.color: Qt.rgba(1, 1, 1, card.isSelected ? 0.35 : 0.18)
    }

    Column {
        anchors.fill: parent
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        spacing: 3

        Item {
            id: iconArea
            width: parent.width
            height: 72

            // A soft shadow under the icon, darker and wider when the card is raised.
            ShadowRing { ring: 0; raised: card.raised; areaWidth: iconArea.width }
            ShadowRing { ring: 1; raised: card.raised; areaWidth: iconArea.width }
            ShadowRing { ring: 2; raised: card.raised; areaWidth: iconArea.width }
            ShadowRing { ring: 3; raised: card.raised; areaWidth: iconArea.width }
            Image {
                id: icon
                anchors.horizontalCenter: parent.horizontalCenter
                y: 2
                width: 68
                height: 68
                sourceSize.width: 136
                sourceSize.height: 136
                source: card.isRosetta ? "icons/LogicIconRosetta.svg" : "icons/LogicIconNative.svg"
                opacity: card.isAvailable ? 1.0 : 0.35
            }
            Image {
                objectName: "warningBadge"
                visible: !card.isAvailable
                source: "icons/exclamationmark.triangle.fill.svg"
                width: 13
                height: 13
                sourceSize.width: 26
                sourceSize.height: 26
                x: icon.x + icon.width / 2 + 26 - width / 2
                y: icon.y + icon.height / 2 - 26 - height / 2
            }
        }
        Text {
            width: parent.width
            text: card.displayName
            color: Theme.primaryText
            font.pixelSize: 12
            font.weight: Font.DemiBold
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            height: 14
            text: card.versionText
            color: Theme.primaryText
            opacity: 0.72
            font.pixelSize: 11
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            height: 14
            text: card.modeText
            color: card.isRosetta ? Theme.rosettaMode : Theme.nativeMode
            font.pixelSize: 11
            font.weight: Font.Medium
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
        }
    }

    HoverHandler {
        id: hover
        onHoveredChanged: {
            if (!card.tip) {
                return;
            }
            if (hovered) {
                card.tip.showFor(card, card.toolTip);
            } else {
                card.tip.hideFor(card);
            }
        }
    }
    // Both take the press for themselves: a drag that starts on a card scrolls the strip
    // (which may take it over) or does nothing, and never moves the panel.
    TapHandler {
        id: leftTap
        acceptedButtons: Qt.LeftButton
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onTapped: card.viewModel.clickCard(card.cardID, (leftTap.point.modifiers & Qt.AltModifier) !== 0)
    }
    // A right click opens the menu of any card, one that cannot launch too.
    TapHandler {
        acceptedButtons: Qt.RightButton
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onTapped: card.viewModel.showActionMenu(card.cardID)
    }
}
