pragma ComponentBehavior: Bound

import QtQuick
import Vantrel

// The selected card's details over the cards: name, version, build, mode, identifier,
// path, architectures and the plug-ins that load in its mode, each value selectable; the
// reason it cannot launch in orange.
Item {
    id: overlay
    required property LauncherViewModel viewModel
    required property LocalizationStore l10n
    readonly property bool shown: viewModel.showInfoPopover && viewModel.selectedCardID !== ""
    readonly property var card: viewModel.selectedCard

    objectName: "infoPopover"
    visible: shown || opacity > 0
    opacity: shown ? 1.0 : 0.0
    Behavior on opacity { NumberAnimation { duration: 150 } }

    // Clicks on the overlay stay on it; the cards behind step back.
    MouseArea { anchors.fill: parent; enabled: overlay.shown; acceptedButtons: Qt.AllButtons }
    Rectangle {
        anchors.fill: parent
        radius: 22
        color: Qt.rgba(0.1, 0.1, 0.12, 0.6)
    }

    Rectangle {
        id: shadow
        anchors.fill: box
        anchors.topMargin: 4
        anchors.bottomMargin: -6
        radius: box.radius + 2
        color: Qt.rgba(0, 0, 0, 0.25)
    }
    Rectangle {
        id: box
        x: Math.round((overlay.width - width) / 2)
        y: Math.max(20, Math.round((overlay.height - height) / 2))
        width: Math.min(360, overlay.width - 40)
        height: Math.min(rows.implicitHeight + 28, overlay.height - 40)
        radius: 12
        color: Theme.popoverBase
        border.width: 0.5
        border.color: Qt.rgba(1, 1, 1, 0.2)
        clip: true

        Column {
            id: rows
            x: 14
            y: 14
            width: box.width - 28
            spacing: 5

            Text {
                textFormat: Text.PlainText
                text: overlay.l10n.current.text("info")
                color: Theme.primaryText
                font.pixelSize: 11
                font.weight: Font.DemiBold
            }
            Repeater {
                model: {
                    const c = overlay.card;
                    const rows = [["infoName", c.displayName], ["version", c.shortVersion]];
                    if (c.buildVersion) {
                        rows.push(["build", c.buildVersion]);
                    }
                    rows.push(["mode", c.infoModeText], ["bundleID", c.bundleIdentifier], ["path", c.bundlePath],
                              ["architectures", c.architecturesText]);
                    // Which plug-ins this mode loads, once the report is there.
                    if (c.pluginsText) {
                        rows.push(["pluginsLabel", c.pluginsText]);
                    }
                    return rows;
                }
                Row {
                    required property var modelData
                    width: rows.width
                    spacing: 8
                    Text {
                        textFormat: Text.PlainText
                        width: 92
                        text: overlay.l10n.current.text(parent.modelData[0])
                        color: Theme.secondaryText
                        font.pixelSize: 10
                        font.weight: Font.Medium
                        elide: Text.ElideRight
                        anchors.baseline: value.baseline
                    }
                    TextEdit {
                        id: value
                        width: parent.width - 100
                        text: parent.modelData[1] || ""
                        color: Theme.primaryText
                        selectionColor: Theme.accent
                        font.pixelSize: 12
                        readOnly: true
                        selectByMouse: true
                        // At word boundaries and after "/", inside a word only when it
                        // does not fit on a line at all.
                        wrapMode: TextEdit.Wrap
                    }
                }
            }
            Text {
                textFormat: Text.PlainText
                objectName: "infoReason"
                visible: overlay.card.isAvailable === false && text !== ""
                topPadding: 4
                width: rows.width
                text: overlay.card.unavailabilityReason || ""
                color: Theme.warning
                font.pixelSize: 11
                wrapMode: Text.WordWrap
            }
        }
    }
}
