import QtQuick

// The panel's glass: a dark base standing in for the blur of what lies behind (no
// platform blur here), a light sheen from the top-left, and a bright rim.
Item {
    id: glass
    property int cornerRadius: 22

    Rectangle {
        anchors.fill: parent
        radius: glass.cornerRadius
        color: Theme.glassBase
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
