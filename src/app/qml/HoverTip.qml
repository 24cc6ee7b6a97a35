import QtQuick

// A small tooltip drawn inside the panel (a separate pop-up window would cost a window
// per hover): shown under the pointer's item after a short delay, kept inside the panel.
Rectangle {
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
        anchors.centerIn: parent
        width: Math.min(implicitWidth, tip.parent ? tip.parent.width - 32 : 284)
        text: tip.text
        color: Theme.primaryText
        font.pixelSize: 11
        wrapMode: Text.WordWrap
    }
}
