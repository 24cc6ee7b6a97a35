import QtQuick
import QtQuick.Controls

// No Logic Pro known yet: what to do about it, and the way to the settings.
Item {
    id: empty
    required property var l10n
    signal openSettings()

    objectName: "emptyLauncher"

    Column {
        anchors.centerIn: parent
        spacing: 6

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            source: "icons/music.note.house.svg"
            width: 28
            height: 28
            sourceSize: Qt.size(56, 56)
            opacity: 0.6
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: (empty.l10n.revision, empty.l10n.text("noLogicFound"))
            color: Theme.primaryText
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(280, implicitWidth)
            text: (empty.l10n.revision, empty.l10n.text("noLogicFoundHint"))
            color: Theme.secondaryText
            font.pixelSize: 11
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }
        Item { width: 1; height: 4 }
        Button {
            id: openButton
            objectName: "openSettingsButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: (empty.l10n.revision, empty.l10n.text("openSettings"))
            onClicked: empty.openSettings()
            leftPadding: 14
            rightPadding: 14
            topPadding: 5
            bottomPadding: 5
            contentItem: Text {
                text: openButton.text
                color: "white"
                font.pixelSize: 12
                font.weight: Font.Medium
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                radius: 6
                color: openButton.down ? Qt.darker(Theme.accent, 1.2) : openButton.hovered ? Qt.lighter(Theme.accent, 1.1) : Theme.accent
                border.width: 0.5
                border.color: Qt.rgba(1, 1, 1, 0.25)
            }
        }
    }
}
