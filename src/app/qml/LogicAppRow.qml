import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Vantrel

// One installation in the settings: move up/down, name and path (with a note when the
// bundle is missing or unreadable), which modes the launcher shows, Edit and Remove. Drag
// the row to reorder: the rows it passes step aside, so a gap opens where it will land.
Rectangle {
    id: row
    required property SettingsViewModel viewModel
    required property LocalizationStore l10n
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
    // The list's drag: which row is dragged and where it would land (-1: none).
    property int dragFrom: -1
    property int dragTo: -1
    signal dragMoved(int from, int to)
    signal dragEnded()

    readonly property bool isEdited: viewModel.editingAppID === appID
    readonly property real step: height + 4

    objectName: "row-" + index
    height: Math.max(54, content.implicitHeight + 12)
    radius: 8
    // Opaque while dragged: it passes over the other rows without mixing their texts.
    color: drag.active ? "#e8e8ed" : Qt.rgba(0, 0, 0, 0.04)
    border.width: isEdited ? 1.5 : 0
    border.color: "#0a84ff"
    z: drag.active ? 2 : 0
    transform: Translate {
        y: drag.active ? drag.translation.y
                       : (row.dragFrom < 0 || row.dragFrom === row.index) ? 0
                       : (row.dragFrom < row.index && row.index <= row.dragTo) ? -row.step
                       : (row.dragTo <= row.index && row.index < row.dragFrom) ? row.step : 0
        Behavior on y { enabled: !drag.active; NumberAnimation { duration: 120 } }
    }

    // Dropped where it was let go: one place per row it passed.
    DragHandler {
        id: drag
        target: null
        xAxis.enabled: false
        // Taken from the scrolling page and never handed back to it while the row moves.
        grabPermissions: PointerHandler.CanTakeOverFromAnything
        dragThreshold: 4 // before the page would start scrolling
        onTranslationChanged: if (active) row.dragMoved(row.index, row.index + Math.round(translation.y / row.step))
        onActiveChanged: {
            if (!active) {
                row.dragEnded();
                row.viewModel.moveRowBy(row.index, Math.round(translation.y / row.step));
            }
        }
    }

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 4

        ColumnLayout {
            spacing: 0
            ChevronButton {
                objectName: "moveUp"
                symbol: "chevron.up"
                enabled: row.canMoveUp
                tip: row.l10n.text("moveUp")
                onClicked: row.viewModel.moveUp(row.index)
            }
            ChevronButton {
                objectName: "moveDown"
                symbol: "chevron.down"
                enabled: row.canMoveDown
                tip: row.l10n.text("moveDown")
                onClicked: row.viewModel.moveDown(row.index)
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.minimumWidth: 100
            spacing: 1
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.displayName
                font.pixelSize: 12
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            Label {
                id: pathLabel
                textFormat: Text.PlainText
                objectName: "rowPath"
                Layout.fillWidth: true
                text: row.bundlePath
                font.pixelSize: 10
                color: "#6e6e73"
                // Shortened in the middle only when it does not fit; then whole on hover.
                elide: Text.ElideMiddle
                HoverHandler { id: pathHover }
                ToolTip.visible: pathHover.hovered && pathLabel.truncated
                ToolTip.text: row.bundlePath
                ToolTip.delay: 500
            }
            Label {
                textFormat: Text.PlainText
                objectName: "rowNote"
                Layout.fillWidth: true
                visible: row.note !== ""
                text: row.note
                font.pixelSize: 10
                color: "#c93400"
                wrapMode: Text.WordWrap
            }
        }
        // The mode columns keep their width in every row (the second one holds the Rosetta
        // toggle or the arm64-only note), so that they and the buttons line up down the list.
        CheckBox {
            objectName: "nativeToggle"
            text: row.l10n.text("native")
            font.pixelSize: 10
            checked: row.nativeVisible
            onToggled: row.viewModel.setModeVisibleAt(row.index, "native", checked)
        }
        Item {
            Layout.preferredWidth: modeWidth.width
            Layout.fillHeight: true
            CheckBox {
                objectName: "rosettaToggle"
                anchors.verticalCenter: parent.verticalCenter
                visible: row.hasRosettaToggle
                text: row.l10n.text("rosetta")
                font.pixelSize: 10
                checked: row.rosettaVisible
                onToggled: row.viewModel.setModeVisibleAt(row.index, "rosetta", checked)
            }
            Label {
                textFormat: Text.PlainText
                objectName: "arm64Only"
                anchors.verticalCenter: parent.verticalCenter
                // In line with the check boxes' labels.
                x: nativeMetrics.indicator.width + nativeMetrics.spacing + nativeMetrics.leftPadding
                width: parent.width - x
                visible: !row.hasRosettaToggle
                text: row.l10n.text("arm64Only")
                font.pixelSize: 10
                color: "#6e6e73"
                elide: Text.ElideRight
            }
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

    // The width of the second mode column: the widest of its possible contents.
    CheckBox { id: nativeMetrics; visible: false; text: row.l10n.text("native"); font.pixelSize: 10 }
    CheckBox { id: rosettaMetrics; visible: false; text: row.l10n.text("rosetta"); font.pixelSize: 10 }
    TextMetrics { id: arm64Metrics; text: row.l10n.text("arm64Only"); font.pixelSize: 10 }
    QtObject {
        id: modeWidth
        readonly property real width: Math.max(nativeMetrics.implicitWidth, rosettaMetrics.implicitWidth,
                                               nativeMetrics.indicator.width + nativeMetrics.spacing
                                               + nativeMetrics.leftPadding + arm64Metrics.advanceWidth + 2)
    }

    component ChevronButton: ToolButton {
        id: chevron
        property string symbol
        property string tip
        implicitWidth: 22
        implicitHeight: 20
        padding: 0
        icon.source: "icons/" + symbol + ".svg"
        icon.width: 11
        icon.height: 11
        icon.color: "transparent" // the symbol's own colour
        opacity: enabled ? 1.0 : 0.3
        ToolTip.visible: hovered
        ToolTip.text: tip
        ToolTip.delay: 500
    }
}
