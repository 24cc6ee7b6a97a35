import QtQuick

// The cards in a row, 10 apart: centred when they fit, scrolling sideways (without
// indicators) when they do not, the edges fading where more cards wait.
Item {
    id: stripView
    required property var viewModel
    property var tip: null

    ListView {
        id: strip
        objectName: "cardStrip"
        anchors.fill: parent
        orientation: ListView.Horizontal
        spacing: 10
        topMargin: 12
        leftMargin: stripView.viewModel.stripScrolls ? 18 : Math.max(18, (width - contentWidth) / 2)
        rightMargin: 18
        interactive: stripView.viewModel.stripScrolls
        boundsBehavior: Flickable.StopAtBounds
        clip: stripView.viewModel.stripScrolls
        model: stripView.viewModel.cardModel
        currentIndex: -1

        delegate: LogicCardView {
            viewModel: stripView.viewModel
            tip: stripView.tip
        }
    }

    Rectangle {
        visible: strip.interactive && !strip.atXBeginning
        anchors.left: parent.left
        width: 28
        height: parent.height
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0.0; color: Theme.glassBase }
            GradientStop { position: 1.0; color: "transparent" }
        }
    }
    Rectangle {
        objectName: "moreCardsHint"
        visible: strip.interactive && !strip.atXEnd
        anchors.right: parent.right
        width: 28
        height: parent.height
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0.0; color: "transparent" }
            GradientStop { position: 1.0; color: Theme.glassBase }
        }
    }
}
