import QtQuick

// The launcher's panel with the benchmark's five cards, drawn with no logic: the same
// window, glass, outline, icons, texts, fonts and settings button, every value written
// out. vantrel_perf checks that its first frame matches the launcher's.
Item {
    id: panel
    width: 720
    height: 204

    // One card as the launcher draws it at rest (neither hovered nor selected).
    component Card: Item {
        id: card
        property string name
        property string mode
        property bool rosetta: false
        property bool available: true
        property real edgeOpacity: 1.0

        width: 152
        height: 132
        y: 16
        opacity: (available ? 1.0 : 0.7) * edgeOpacity

        Column {
            anchors.fill: parent
            anchors.topMargin: 8
            anchors.bottomMargin: 8
            anchors.leftMargin: 6
            anchors.rightMargin: 6
            spacing: 3

            Item {
                width: 140
                height: 72

                // The icon's soft shadow: four rings of 1, 2, 3 and 5 pixels.
                Rectangle { x: 40; y: 5.5; width: 59; height: 59; radius: 14.5; color: Qt.rgba(0, 0, 0, 0.045) }
                Rectangle { x: 40; y: 5; width: 60; height: 60; radius: 15; color: Qt.rgba(0, 0, 0, 0.045) }
                Rectangle { x: 39; y: 4.5; width: 61; height: 61; radius: 15.5; color: Qt.rgba(0, 0, 0, 0.045) }
                Rectangle { x: 38; y: 3.5; width: 63; height: 63; radius: 16.5; color: Qt.rgba(0, 0, 0, 0.045) }
                Image {
                    objectName: "picture"
                    x: 36
                    y: 2
                    width: 68
                    height: 68
                    sourceSize.width: 136
                    sourceSize.height: 136
                    source: card.rosetta ? "LogicIconRosetta.svg" : "LogicIconNative.svg"
                    opacity: card.available ? 1.0 : 0.35
                }
                Image {
                    objectName: "picture"
                    visible: !card.available
                    source: "exclamationmark.triangle.fill.svg"
                    x: 89.5
                    y: 3.5
                    width: 13
                    height: 13
                    sourceSize.width: 26
                    sourceSize.height: 26
                }
            }
            Text {
                width: 140
                text: card.name
                color: "#f2f2f7"
                font.pixelSize: 12
                font.weight: Font.DemiBold
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
            }
            Text {
                width: 140
                height: 14
                text: "Версия 11.0"
                color: "#f2f2f7"
                opacity: 0.72
                font.pixelSize: 11
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
            }
            Text {
                width: 140
                height: 14
                text: card.mode
                color: card.rosetta ? Qt.rgba(0.95, 0.55, 0.22, 1) : Qt.rgba(0.35, 0.62, 0.95, 1)
                font.pixelSize: 11
                font.weight: Font.Medium
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
            }
        }
    }

    // The glass: base, sheen and rim.
    Rectangle {
        anchors.fill: parent
        radius: 22
        color: "#1f2026"
    }
    Rectangle {
        anchors.fill: parent
        radius: 22
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.09) }
            GradientStop { position: 0.5; color: Qt.rgba(1, 1, 1, 0.02) }
            GradientStop { position: 1.0; color: "transparent" }
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: 22
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.18)
    }

    // The row of cards, 10 apart from 18 in; it scrolls, so the fifth is cut by the edge
    // and fades with the part of it out of view: (54 / 152)².
    Item {
        width: 720
        height: 164
        clip: true

        Card { x: 18; name: "Logic Pro"; mode: "Нативный" }
        Card { x: 180; name: "Logic Pro"; mode: "Rosetta"; rosetta: true; available: false }
        Card { x: 342; name: "Logic Pro Beta"; mode: "только arm64" }
        Card { x: 504; name: "Logic Pro X"; mode: "Нативный" }
        Card { x: 666; name: "Logic Pro X"; mode: "Rosetta"; rosetta: true; available: false; edgeOpacity: 0.12621 }
    }

    // The settings button.
    Item {
        x: 690
        y: 176
        width: 22
        height: 22

        Text {
            anchors.centerIn: parent
            text: "⚙︎"
            font.pixelSize: 14
            color: "#a1a1aa"
            opacity: 0.45
        }
    }

    // The outline.
    Rectangle {
        anchors.fill: parent
        radius: 22
        color: "transparent"
        border.width: 0.5
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
}
