pragma ComponentBehavior: Bound

import QtQuick
import Vantrel

// A pop-up menu drawn as the platform's: a header in grey, separators, and items with
// their symbol, the highlighted one in the accent colour, those that cannot be chosen
// dimmed. Used where the platform lends us no menus of its own.
Rectangle {
    id: popup
    required property PopupMenuViewModel menu

    // As wide as the widest row asks, within bounds; longer titles are elided.
    readonly property real widestRow: {
        let widest = 0;
        for (let i = 0; i < rowRepeater.count; ++i) {
            const row = rowRepeater.itemAt(i);
            widest = Math.max(widest, row ? row.implicitWidth : 0);
        }
        return widest;
    }

    objectName: "popupMenu"
    width: Math.min(480, Math.max(180, widestRow)) + 10
    height: rows.implicitHeight + 10
    radius: 6
    color: Theme.popoverBase
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.16)
    focus: true

    Keys.onPressed: (event) => { event.accepted = popup.menu.keyPressed(event.key) }

    Column {
        id: rows
        x: 5
        y: 5
        width: popup.width - 10

        Repeater {
            id: rowRepeater
            model: popup.menu.rows
            delegate: Item {
                id: row
                required property var modelData
                required property int index
                readonly property bool highlighted: popup.menu.highlightedIndex === index

                objectName: "popupMenuRow-" + index
                width: rows.width
                implicitWidth: row.modelData.isSeparator ? 0 : label.implicitWidth + label.x + 8
                height: row.modelData.isSeparator ? 9 : 22

                Rectangle {
                    anchors.fill: parent
                    radius: 4
                    color: Theme.accent
                    visible: row.highlighted
                }
                Rectangle {
                    visible: row.modelData.isSeparator
                    anchors.verticalCenter: parent.verticalCenter
                    x: 8
                    width: parent.width - 16
                    height: 1
                    color: Qt.rgba(1, 1, 1, 0.14)
                }
                Image {
                    visible: row.modelData.symbol !== ""
                    source: visible ? "icons/" + row.modelData.symbol + ".svg" : ""
                    x: 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: 14
                    height: 14
                    sourceSize.width: 28
                    sourceSize.height: 28
                    opacity: row.modelData.enabled ? 0.9 : 0.35
                }
                Text {
                    id: label
                    textFormat: Text.PlainText
                    visible: !row.modelData.isSeparator
                    x: row.modelData.isHeader ? 8 : 30
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - x - 8
                    text: row.modelData.title
                    elide: Text.ElideRight
                    font.pixelSize: row.modelData.isHeader ? 11 : 13
                    font.weight: row.modelData.isHeader ? Font.DemiBold : Font.Normal
                    color: row.highlighted ? "white" : row.modelData.isHeader ? Theme.secondaryText : Theme.primaryText
                    opacity: row.modelData.enabled || row.modelData.isHeader ? 1.0 : 0.4
                }

                HoverHandler {
                    onHoveredChanged: hovered ? popup.menu.hover(row.index) : popup.menu.leave(row.index)
                }
                TapHandler {
                    onTapped: popup.menu.choose(row.index)
                }
            }
        }
    }
}
