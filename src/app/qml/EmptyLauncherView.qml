import QtQuick
import Vantrel

// No Logic Pro known yet: what to do about it, and the way to the settings.
Item {
    id: empty
    required property LauncherViewModel viewModel
    required property LocalizationStore l10n

    objectName: "emptyLauncher"

    Column {
        anchors.centerIn: parent
        spacing: 6

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            source: "icons/music.note.house.svg"
            width: 28
            height: 28
            sourceSize.width: 56
            sourceSize.height: 56
            opacity: 0.6
        }
        Text {
            textFormat: Text.PlainText
            anchors.horizontalCenter: parent.horizontalCenter
            text: empty.l10n.current.text("noLogicFound")
            color: Theme.primaryText
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 4

            Text {
                textFormat: Text.PlainText
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(280, implicitWidth)
                text: empty.l10n.current.text("noLogicFoundHint")
                color: Theme.secondaryText
                font.pixelSize: 11
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
            }
            Rectangle {
                id: openButton
                objectName: "openSettingsButton"
                anchors.horizontalCenter: parent.horizontalCenter
                width: buttonText.implicitWidth + 28
                height: buttonText.implicitHeight + 10
                radius: 6
                color: tap.pressed ? Qt.darker(Theme.accent, 1.2) : buttonHover.hovered ? Qt.lighter(Theme.accent, 1.1) : Theme.accent
                border.width: 0.5
                border.color: Qt.rgba(1, 1, 1, 0.25)

                Text {
                    id: buttonText
                    textFormat: Text.PlainText
                    anchors.centerIn: parent
                    text: empty.l10n.current.text("openSettings")
                    color: "white"
                    font.pixelSize: 12
                    font.weight: Font.Medium
                }
                HoverHandler { id: buttonHover; cursorShape: Qt.PointingHandCursor }
                TapHandler { id: tap; onTapped: empty.viewModel.openSettings() }
                Accessible.role: Accessible.Button
                Accessible.name: buttonText.text
            }
        }
    }
}
