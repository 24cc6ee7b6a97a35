pragma ComponentBehavior: Bound

import QtQuick
import Vantrel

// The launcher panel's content: glass background, project banner, cards (or the
// placeholder), the information overlay, the settings button and the message line.
//
// The views the panel shows at once are this file's inline components: each QML file is a
// type that Qt's loader reads before the first frame (about 1.5 ms apiece here), so only
// what a panel shows later (banner, placeholder, overlay) lives in files of its own,
// loaded by name when first needed.
Item {
    id: root

    // A small tooltip drawn inside the panel (a separate pop-up window would cost a window
    // per hover): shown under the pointer's item after a short delay, kept inside the panel.
    component HoverTip: Rectangle {
        id: tip
        property Item target: null
        property string text: ""
        property bool suppressed: false

        onSuppressedChanged: if (suppressed) { delay.stop(); visible = false; }

        function showFor(item, message) {
            target = item;
            text = message;
            if (!suppressed) {
                delay.restart();
            }
        }
        function hideFor(item) {
            if (target === item) {
                delay.stop();
                target = null;
                visible = false;
            }
        }

        visible: false
        z: 100
        width: Math.min(label.implicitWidth + 16, parent ? parent.width - 16 : 300)
        height: label.implicitHeight + 8
        radius: 5
        color: "#3a3b42"
        border.width: 0.5
        border.color: Qt.rgba(1, 1, 1, 0.2)

        Timer {
            id: delay
            interval: 700
            onTriggered: {
                if (!tip.target || !tip.parent || tip.suppressed) {
                    return;
                }
                const below = tip.target.mapToItem(tip.parent, tip.target.width / 2, tip.target.height);
                tip.x = Math.max(8, Math.min(below.x - tip.width / 2, tip.parent.width - tip.width - 8));
                tip.y = below.y + tip.height + 4 > tip.parent.height ? below.y - tip.target.height - tip.height - 4 : below.y + 4;
                tip.visible = true;
            }
        }
        Text {
            id: label
            textFormat: Text.PlainText
            anchors.centerIn: parent
            width: Math.min(implicitWidth, tip.parent ? tip.parent.width - 32 : 284)
            text: tip.text
            color: Theme.primaryText
            font.pixelSize: 11
            wrapMode: Text.WordWrap
        }
    }

    // The cards in a row, 10 apart: centred when they fit, scrolling sideways (without
    // indicators) when they do not. While it scrolls, a card cut by an edge fades with the
    // part of it out of view (nothing is drawn over the glass, so the panel's rounded outline
    // stays whole), a mouse wheel of either direction scrolls it, and the selected card is
    // kept whole in view.
    component CardStripView: Item {
        id: stripView

        required property LauncherViewModel viewModel
        property HoverTip tip: null

        // The row is a Repeater in a Flickable: its five to a few dozen cards are made with the
        // panel, laid out once, and scrolled by contentX (0 at the row's start).
        Flickable {
            id: strip
            objectName: "cardStrip"
            // The row of cards only: below it, the panel's background moves the panel.
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: Math.min(parent.height, 16 + 132 + 16)
            flickableDirection: Flickable.HorizontalFlick
            // 18 before the first card, or as much as centres the row when it fits.
            readonly property real startPadding: stripView.viewModel.stripScrolls
                                                 ? 18 : Math.max(18, (width - row.width) / 2)
            contentWidth: startPadding + row.width + 18
            contentHeight: height
            interactive: stripView.viewModel.stripScrolls
            boundsBehavior: Flickable.StopAtBounds
            clip: stripView.viewModel.stripScrolls
            onInteractiveChanged: if (!interactive) contentX = 0

            readonly property real lastX: Math.max(0, contentWidth - width)

            function scrollTo(x) {
                return Math.max(0, Math.min(x, lastX));
            }

            // A selection made before the panel shows (a link's card) is revealed with the
            // first frame, once the row is laid out.
            property bool revealWhenShown: false

            // Scrolls so that the selected card shows whole, with the strip's own padding.
            function revealSelection() {
                const index = stripView.viewModel.selectedIndex;
                if (!interactive || index < 0) {
                    return;
                }
                if (!Window.window || !Window.window.visible) {
                    revealWhenShown = true;
                    return;
                }
                const left = startPadding + index * (152 + row.spacing);
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

            Row {
                id: row
                x: strip.startPadding
                spacing: 10

                Repeater {
                    model: stripView.viewModel.cardModel
                    delegate: LogicCardView {
                        viewModel: stripView.viewModel
                        // (qmllint 6.4 reads an inline component's property in a delegate as
                        // its base type.)
                        tip: stripView.tip // qmllint disable type
                        // 12 clear above a card raised to 1.05 (132 × 0.025 ≈ 3.3 more).
                        y: 16
                        // A card cut by an edge fades with the part of it that is out of view.
                        edgeOpacity: {
                            if (!strip.interactive) {
                                return 1.0;
                            }
                            const left = row.x + x - strip.contentX;
                            const shown = Math.min(left + width, strip.width) - Math.max(left, 0);
                            return Math.max(0, Math.min(1, shown / width)) ** 2;
                        }
                    }
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
            target: strip.Window.window
            // The first frame: the row is laid out and on screen.
            function onFrameSwapped() {
                if (strip.revealWhenShown) {
                    strip.revealWhenShown = false;
                    strip.revealSelection();
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

    // One launch card: the mode's icon (dimmed with a warning badge when the card cannot
    // launch), the name, the version and the mode. It grows a little when hovered or selected.
    component LogicCardView: Item {
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
        // Out of view it stays in the row (a Row leaves invisible items out, which would
        // move the others and shorten the strip), only without pointer or keyboard.
        enabled: edgeOpacity > 0
        scale: raised ? 1.05 : 1.0
        // A short spring: quick, with a little overshoot.
        Behavior on scale { NumberAnimation { duration: 280; easing.type: Easing.OutBack; easing.overshoot: 0.8 } }

        Accessible.role: Accessible.Button
        Accessible.name: accessibleName
        Accessible.description: accessibleDescription


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
                textFormat: Text.PlainText
                width: parent.width
                text: card.displayName
                color: Theme.primaryText
                font.pixelSize: 12
                font.weight: Font.DemiBold
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
            }
            Text {
                textFormat: Text.PlainText
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
                textFormat: Text.PlainText
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

    // The panel's glass: a dark base (translucent over the platform's blur of what lies
    // behind, opaque where there is none), a light sheen from the top-left, and a bright rim.
    component LiquidGlassBackground: Item {
        id: glass
        property int cornerRadius: 22
        property bool blurBehind: false

        Rectangle {
            anchors.fill: parent
            radius: glass.cornerRadius
            color: glass.blurBehind ? Theme.glassBaseOverBlur : Theme.glassBase
        }
        Rectangle {
            anchors.fill: parent
            radius: glass.cornerRadius
            gradient: Gradient {
                GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.09) }
                GradientStop { position: 0.5; color: Qt.rgba(1, 1, 1, 0.02) }
                GradientStop { position: 1.0; color: "transparent" }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: glass.cornerRadius
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.18)
        }
    }

    // "⚙︎" in the corner: opens the settings.
    component SettingsGearButton: Item {
        id: button
        required property LocalizationStore l10n
        property HoverTip tip: null
        signal clicked()

        objectName: "settingsButton"
        width: 22
        height: 22

        Text {
            textFormat: Text.PlainText
            anchors.centerIn: parent
            text: "⚙︎"
            font.pixelSize: 14
            color: hover.hovered ? Theme.primaryText : Theme.secondaryText
            opacity: hover.hovered ? 0.85 : 0.45
        }
        HoverHandler {
            id: hover
            cursorShape: Qt.PointingHandCursor
            onHoveredChanged: {
                if (button.tip) {
                    hovered ? button.tip.showFor(button, button.l10n.text("settingsHelp")) : button.tip.hideFor(button);
                }
            }
        }
        TapHandler { onTapped: button.clicked() }

        Accessible.role: Accessible.Button
        Accessible.name: l10n.current.text("settingsHelp")
    }

    required property LauncherViewModel viewModel
    required property LocalizationStore l10n
    required property LauncherPanel panel
    property int cornerRadius: 22
    property bool dropTargeted: false
    property bool infoMade: false // the overlay, once made, stays for its fades

    Connections {
        target: root.viewModel
        function onShowInfoPopoverChanged() {
            if (root.viewModel.showInfoPopover) {
                root.infoMade = true;
            }
        }
    }

    width: viewModel.windowWidth
    height: viewModel.windowHeight
    focus: true

    Keys.onPressed: (event) => { event.accepted = root.viewModel.keyPressed(event.key, event.modifiers) }

    Connections {
        target: root.panel
        function onAppearRequested(animated) {
            fadeOut.stop();
            if (animated) {
                appear.restart();
            } else {
                content.scale = 1.0;
                content.opacity = 1.0;
            }
        }
        function onFadeOutRequested(animated) {
            appear.stop();
            if (animated) {
                fadeOut.restart();
            } else {
                content.scale = 0.95;
                content.opacity = 0.0;
            }
        }
    }

    ParallelAnimation {
        id: appear
        NumberAnimation {
            target: content; property: "scale"; from: 0.95; to: 1.0
            duration: root.panel.appearScaleMilliseconds; easing.type: Easing.OutQuad
        }
        NumberAnimation {
            target: content; property: "opacity"; to: 1.0
            duration: root.panel.appearOpacityMilliseconds; easing.type: Easing.OutQuad
        }
    }
    ParallelAnimation {
        id: fadeOut
        NumberAnimation {
            target: content; property: "scale"; from: 1.0; to: 0.95
            duration: root.panel.fadeOutMilliseconds; easing.type: Easing.InQuad
        }
        NumberAnimation {
            target: content; property: "opacity"; to: 0.0
            duration: root.panel.fadeOutMilliseconds; easing.type: Easing.InQuad
        }
    }

    Item {
        id: content
        anchors.fill: parent
        opacity: 0
        scale: 0.95

        LiquidGlassBackground {
            anchors.fill: parent
            cornerRadius: root.cornerRadius
            blurBehind: root.panel.hasBlurBehindWindow
        }

        // The panel moves when dragged by its background, and only by it: the handler
        // never takes a drag that something in front (a card) holds.
        DragHandler {
            target: null
            grabPermissions: PointerHandler.TakeOverForbidden
            onActiveChanged: if (active) root.panel.startMove()
        }
        HoverHandler {
            id: panelHover
        }

        Column {
            id: stack
            anchors.fill: parent

            // Made while a project is pending. The views made on demand are loaded by
            // name, so that their types too are read only when first needed.
            Loader {
                id: banner
                width: parent.width
                active: root.viewModel.pendingProjectDisplayName !== ""
                visible: active
                Component.onCompleted: setSource("ProjectBanner.qml", {
                    viewModel: root.viewModel, l10n: root.l10n, cornerRadius: root.cornerRadius
                })
            }

            Item {
                width: parent.width
                height: parent.height - (banner.visible ? banner.height : 0)

                // Made only when there is nothing to show.
                Loader {
                    anchors.fill: parent
                    active: root.viewModel.cardCount === 0
                    Component.onCompleted: setSource("EmptyLauncherView.qml", {
                        viewModel: root.viewModel, l10n: root.l10n
                    })
                }
                CardStripView {
                    anchors.fill: parent
                    visible: root.viewModel.cardCount > 0
                    viewModel: root.viewModel
                    tip: hoverTip
                }
            }
        }

        // Made the first time it is asked for.
        Loader {
            anchors.fill: parent
            active: root.infoMade || root.viewModel.showInfoPopover
            Component.onCompleted: setSource("InfoPopoverView.qml", {viewModel: root.viewModel, l10n: root.l10n})
        }

        SettingsGearButton {
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.rightMargin: 8
            anchors.bottomMargin: 6
            l10n: root.l10n
            tip: hoverTip
            onClicked: root.viewModel.openSettings()
        }

        Text {
            id: message
            textFormat: Text.PlainText
            objectName: "messageLine"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            // 20 from the sides, and as far again as the settings button on both, so that
            // the centred line stays centred and clear of it.
            anchors.leftMargin: 20 + 16
            anchors.rightMargin: 20 + 16
            anchors.bottomMargin: 6
            text: root.viewModel.messageText
            color: root.viewModel.messageIsError ? Theme.errorText : Theme.secondaryText
            font.pixelSize: 11
            // Whole, on as many lines as the space under the cards holds at the narrowest
            // panel; anything longer still is whole in the tooltip.
            wrapMode: Text.Wrap
            maximumLineCount: 3
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
            opacity: text !== "" ? 0.9 : 0.0
            Behavior on opacity { NumberAnimation { duration: 150 } }

            HoverHandler {
                onHoveredChanged: hovered && message.text !== "" ? hoverTip.showFor(message, message.text)
                                                                 : hoverTip.hideFor(message)
            }
        }

        // For a first-time user: projects can be dropped here. Where the message line is
        // free, while the pointer is over the panel or a drag is.
        Text {
            textFormat: Text.PlainText
            objectName: "dropHint"
            anchors.fill: message
            text: root.l10n.current.text("dropProjectHint")
            color: Theme.secondaryText
            font.pixelSize: 11
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignBottom
            opacity: root.viewModel.offersDropHint && !root.viewModel.showInfoPopover
                     && (panelHover.hovered || root.dropTargeted) ? 0.7 : 0.0
            visible: opacity > 0
            Behavior on opacity { NumberAnimation { duration: 150 } }
        }

        Rectangle {
            objectName: "dropHighlight"
            anchors.fill: parent
            anchors.margins: 2
            radius: root.cornerRadius - 2
            color: "transparent"
            border.width: 2
            border.color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.85)
            visible: root.dropTargeted
        }

        HoverTip {
            id: hoverTip
            // Never over the information overlay.
            suppressed: root.viewModel.showInfoPopover
        }

        // The whole window outlined, as glass is.
        Rectangle {
            anchors.fill: parent
            radius: root.cornerRadius
            color: "transparent"
            border.width: 0.5
            border.color: Qt.rgba(1, 1, 1, 0.14)
        }
    }

    DropArea {
        anchors.fill: parent
        onEntered: (drag) => {
            root.dropTargeted = drag.hasUrls;
            root.panel.noteDragEntered();
        }
        onExited: root.dropTargeted = false
        onDropped: (drop) => {
            root.dropTargeted = false;
            if (drop.hasUrls) {
                root.viewModel.dropProject(drop.urls[0]);
                drop.accept();
                root.panel.noteDropped();
            }
        }
    }
}
