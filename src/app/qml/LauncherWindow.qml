import QtQuick
import Vantrel

// The launcher panel's content: glass background, project banner, cards (or the
// placeholder), the information overlay, the settings button and the message line.
Item {
    id: root

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

            ProjectBanner {
                id: banner
                width: parent.width
                visible: root.viewModel.pendingProjectDisplayName !== ""
                viewModel: root.viewModel
                l10n: root.l10n
                cornerRadius: root.cornerRadius
            }

            Item {
                width: parent.width
                height: parent.height - (banner.visible ? banner.height : 0)

                // Made only when there is nothing to show.
                Loader {
                    anchors.fill: parent
                    active: root.viewModel.cardCount === 0
                    // The loaded views read the window's ids. qmllint 6.4 flags ids from outside a
                    // Component; ComponentBehavior: Bound would fix that, but Qt 6.4's Loader then refuses
                    // to create them ("Cannot instantiate bound component outside its creation context").
                    // qmllint disable unqualified
                    sourceComponent: EmptyLauncherView {
                        l10n: root.l10n
                        onOpenSettings: root.viewModel.openSettings()
                    }
                    // qmllint enable unqualified
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
            // Reads the window's ids, as the placeholder's Loader above.
            // qmllint disable unqualified
            sourceComponent: InfoPopoverView {
                shown: root.viewModel.showInfoPopover && root.viewModel.selectedCardID !== ""
                card: root.viewModel.selectedCard
                l10n: root.l10n
            }
            // qmllint enable unqualified
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
