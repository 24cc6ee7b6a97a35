import QtQuick
import Vantrel

// "⚙︎" in the corner: opens the settings.
Item {
    id: button
    required property LocalizationStore l10n
    property HoverTip tip: null
    signal clicked()

    objectName: "settingsButton"
    width: 22
    height: 22

    Text {
        anchors.centerIn: parent
        text: "⚙︎"
        font.pixelSize: 14
        color: hover.hovered ? Theme.primaryText : Theme.secondaryText
        opacity: hover.hovered ? 0.85 : 0.45
    }
    HoverHandler {
        id: hover
        cursorShape: Qt.PointingHandCursor
        onHoveredChanged: {
            if (button.tip) {
                hovered ? button.tip.showFor(button, button.l10n.text("settingsHelp")) : button.tip.hideFor(button);
            }
        }
    }
    TapHandler { onTapped: button.clicked() }

    Accessible.role: Accessible.Button
    Accessible.name: l10n.current.text("settingsHelp")
}
