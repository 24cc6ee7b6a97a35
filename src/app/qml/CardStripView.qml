import QtQuick

// The cards in a row, 10 apart: centred when they fit, scrolling sideways (without
// indicators) when they do not.
ListView {
    id: strip
    objectName: "cardStrip"
    required property var viewModel

    orientation: ListView.Horizontal
    spacing: 10
    topMargin: 12
    leftMargin: viewModel.stripScrolls ? 18 : Math.max(18, (width - contentWidth) / 2)
    rightMargin: 18
    interactive: viewModel.stripScrolls
    boundsBehavior: Flickable.StopAtBounds
    clip: viewModel.stripScrolls
    model: viewModel.cardModel
    currentIndex: -1

    delegate: LogicCardView {
        viewModel: strip.viewModel
    }
}
