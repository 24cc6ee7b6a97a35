import QtQuick
import Vantrel

// "Open project: Song" with a button that clears it, above the cards. The light strip is
// inset so that it follows the window's rounded corners.
Item {
    id: banner
    required property LauncherViewModel viewModel
    required property LocalizationStore l10n
    property int cornerRadius: 22

    height: 34

    Rectangle {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.topMargin: 6
        radius: 10
        color: Qt.rgba(1, 1, 1, 0.08)
    }

    Row {
        anchors.left: parent.left
        anchors.right: clear.left
        anchors.leftMargin: 22
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: 3
        spacing: 6

        Image {
            source: "icons/doc.fill.svg"
            width: 11; height: 13
            sourceSize.width: 22
            sourceSize.height: 26
            anchors.verticalCenter: parent.verticalCenter
            opacity: 0.7
        }
        Text {
            textFormat: Text.PlainText
            objectName: "bannerText"
            width: parent.width - 17
            // With the copy that last opened it, when that card was brought forward for it.
            text: banner.l10n.current.text("openProjectBanner", [banner.viewModel.pendingProjectDisplayName])
                  + (banner.viewModel.pendingProjectRemembered === "" ? ""
                                                                     : " — " + banner.viewModel.pendingProjectRemembered)
            color: Theme.primaryText
            font.pixelSize: 11
            font.weight: Font.Medium
            elide: Text.ElideMiddle
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    Text {
        id: clear
        textFormat: Text.PlainText
        objectName: "clearProject"
        anchors.right: parent.right
        anchors.rightMargin: 22
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: 3
        text: banner.l10n.current.text("clearProject")
        color: clearArea.containsMouse ? Theme.primaryText : Theme.secondaryText
        font.pixelSize: 11
        font.weight: Font.DemiBold

        MouseArea {
            id: clearArea
            anchors.fill: parent
            anchors.margins: -4
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: banner.viewModel.clearPendingProject()
        }
        Accessible.role: Accessible.Button
        Accessible.name: text
    }
}
