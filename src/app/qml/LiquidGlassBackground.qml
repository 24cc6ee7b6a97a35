import QtQuick

// The panel's glass: a dark base (translucent over the platform's blur of what lies
// behind, opaque where there is none), a light sheen from the top-left, and a bright rim.
Item {
    id: glass
    property int cornerRadius: 22
    property bool blurBehind: false

    Rectangle {
        anchors.fill: parent
        radius: glass.cornerRadius
        color: glass.blurBehind ? Theme.glassBaseOverBlur : Theme.glassBase
    }
    Rectangle {
        anchors.fill: parent
        radius: glass.cornerRadius
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.09) }
            GradientStop { position: 0.5; color: Qt.rgba(1, 1, 1, 0.02) }
            GradientStop { position: 1.0; color: "transparent" }
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: glass.cornerRadius
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.18)
    }
}
