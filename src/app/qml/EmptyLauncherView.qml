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
            anchors.horizontalCenter: parent.horizontalCenter
            text: (empty.l10n.revision, empty.l10n.text("openSettings"))
            highlighted: true
            onClicked: empty.openSettings()
        }
    }
}
