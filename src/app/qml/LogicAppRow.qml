import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts

// One installation in the settings: move up/down, name and path (with a note when the
// bundle is missing or unreadable), which modes the launcher shows, Edit and Remove. Drag
// the row to reorder.
Rectangle {
    id: row
    required property var viewModel
    required property var l10n
    required property int index
    required property string appID
    required property string displayName
    required property string bundlePath
    required property string note
    required property bool nativeVisible
    required property bool rosettaVisible
    required property bool hasRosettaToggle
    required property bool canMoveUp
    required property bool canMoveDown

    objectName: "row-" + index
    height: 54
    radius: 8
    color: Qt.rgba(0, 0, 0, 0.04)
    z: drag.active ? 2 : 0
    transform: Translate { y: drag.active ? drag.translation.y : 0 }

    // Dropped where it was let go: one place per row it passed.
    DragHandler {
        id: drag
        target: null
        xAxis.enabled: false
        onActiveChanged: {
            if (!active) {
                row.viewModel.moveRowBy(row.index, Math.round(translation.y / (row.height + 4)));
            }
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 4

        ColumnLayout {
            spacing: 0
            ToolButton {
                objectName: "moveUp"
                text: "▲"
                font.pixelSize: 9
                enabled: row.canMoveUp
                implicitHeight: 18
                implicitWidth: 22
                onClicked: row.viewModel.moveUp(row.index)
                ToolTip.visible: hovered
                ToolTip.text: row.l10n.text("moveUp")
            }
            ToolButton {
                objectName: "moveDown"
                text: "▼"
                font.pixelSize: 9
                enabled: row.canMoveDown
                implicitHeight: 18
                implicitWidth: 22
                onClicked: row.viewModel.moveDown(row.index)
                ToolTip.visible: hovered
                ToolTip.text: row.l10n.text("moveDown")
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            // Room for the whole note: it is what the user must read.
            Layout.minimumWidth: Math.max(100, noteLabel.visible ? noteLabel.implicitWidth : 0)
            spacing: 1
            Label {
                Layout.fillWidth: true
                text: row.displayName
                font.pixelSize: 12
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            Label {
                Layout.fillWidth: true
                text: row.bundlePath
                font.pixelSize: 10
                color: "#6e6e73"
                elide: Text.ElideMiddle
            }
            Label {
                id: noteLabel
                objectName: "rowNote"
                visible: row.note !== ""
                text: row.note
                font.pixelSize: 10
                color: "#c93400"
            }
        }
        CheckBox {
            objectName: "nativeToggle"
            text: row.l10n.text("native")
            font.pixelSize: 10
            checked: row.nativeVisible
            onToggled: row.viewModel.setModeVisibleAt(row.index, "native", checked)
        }
        CheckBox {
            objectName: "rosettaToggle"
            visible: row.hasRosettaToggle
            text: row.l10n.text("rosetta")
            font.pixelSize: 10
            checked: row.rosettaVisible
            onToggled: row.viewModel.setModeVisibleAt(row.index, "rosetta", checked)
        }
        Label {
            objectName: "arm64Only"
            visible: !row.hasRosettaToggle
            text: row.l10n.text("arm64Only")
            font.pixelSize: 10
            color: "#6e6e73"
        }
        Button {
            objectName: "edit"
            text: row.l10n.text("edit")
            font.pixelSize: 11
            implicitWidth: implicitContentWidth + leftPadding + rightPadding
            leftPadding: 6
            rightPadding: 6
            onClicked: row.viewModel.beginEditAt(row.index)
        }
        Button {
            objectName: "remove"
            text: row.l10n.text("remove")
            font.pixelSize: 11
            implicitWidth: implicitContentWidth + leftPadding + rightPadding
            leftPadding: 6
            rightPadding: 6
            palette.buttonText: "#d70015"
            onClicked: row.viewModel.removeAt(row.index)
        }
    }
}
