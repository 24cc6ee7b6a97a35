import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Vantrel

// The settings window's content: behaviour, the installations, the editor, the drop zone
// and the about section, under a header with Done. A language change rebuilds it whole.
FocusScope {
    id: settings
    required property SettingsViewModel viewModel
    required property AppPreferences preferences
    required property LocalizationStore l10n
    required property SettingsWindow window

    width: 520
    height: 540
    focus: true

    Keys.onReturnPressed: settings.window.close()
    Keys.onEnterPressed: settings.window.close()
    Keys.onEscapePressed: settings.window.close()

    Rectangle { anchors.fill: parent; color: "#f5f5f7" }

    Loader {
        id: page
        anchors.fill: parent
        focus: true
        // A new language builds every text anew.
        property int builtFor: settings.l10n.revision
        onBuiltForChanged: { active = false; active = true }
        sourceComponent: Page {}
    }

    component Page: ColumnLayout {
        spacing: 0

        function t(key) { return settings.l10n.text(key) }
        // Edit shows the editor: scrolled into view, the name ready for typing.
        function revealEditor() {
            const flick = scroll.contentItem;
            const top = editorHeader.mapToItem(column, 0, 0).y + column.y - 8;
            const bottom = editorButtons.mapToItem(column, 0, editorButtons.height).y + column.y + 8;
            if (top < flick.contentY) {
                flick.contentY = top;
            } else if (bottom > flick.contentY + flick.height) {
                flick.contentY = Math.min(top, bottom - flick.height);
            }
            draftName.forceActiveFocus();
        }
        Connections {
            target: settings.viewModel
            function onDraftChanged() {
                if (settings.viewModel.isEditing) {
                    Qt.callLater(revealEditor);
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 14
            Layout.bottomMargin: 14
            Label {
                text: t("settings")
                font.pixelSize: 15
                font.weight: Font.DemiBold
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "doneButton"
                text: t("done")
                highlighted: true
                onClicked: settings.window.close()
            }
        }
        Rectangle { Layout.fillWidth: true; height: 1; color: "#d1d1d6" }

        ScrollView {
            id: scroll
            focus: true // the editor's name field inside takes the keyboard first
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth
            // 16 of padding on every side, the bottom's too.
            contentHeight: column.implicitHeight + 32
            clip: true

            ColumnLayout {
                id: column
                width: scroll.width - 32
                x: 16
                y: 16
                spacing: 10

                // ---- behaviour ------------------------------------------------------
                SectionHeader { text: t("behavior") }
                RowLayout {
                    Layout.fillWidth: true
                    Label { text: t("languagePickerLabel"); font.pixelSize: 12 }
                    Repeater {
                        model: settings.viewModel.languageChoices()
                        Button {
                            required property var modelData
                            objectName: "language-" + modelData.code
                            text: modelData.name
                            checkable: true
                            checked: settings.l10n.languageCode === modelData.code
                            font.pixelSize: 12
                            onClicked: {
                                if (settings.l10n.languageCode !== modelData.code) {
                                    settings.l10n.languageCode = modelData.code;
                                } else {
                                    checked = true;
                                }
                            }
                        }
                    }
                }
                WrappingCheckBox {
                    objectName: "closeOnFocusLoss"
                    text: t("closeOnFocusLoss")
                    font.pixelSize: 12
                    checked: settings.preferences.closeOnFocusLoss
                    onToggled: settings.preferences.closeOnFocusLoss = checked
                }
                WrappingCheckBox {
                    objectName: "closeOtherLogicOnLaunch"
                    text: t("closeOtherLogicOnLaunch")
                    font.pixelSize: 12
                    checked: settings.preferences.closeOtherLogicOnLaunch
                    onToggled: settings.preferences.closeOtherLogicOnLaunch = checked
                }

                // ---- installations --------------------------------------------------
                SectionHeader { text: t("logicInstallations"); Layout.topMargin: 6 }
                Label {
                    objectName: "reorderHint"
                    visible: settings.viewModel.rows.count > 0
                    Layout.fillWidth: true
                    text: t("reorderHint")
                    font.pixelSize: 11
                    opacity: 0.6
                    wrapMode: Text.WordWrap
                }
                Label {
                    objectName: "noSavedInstallations"
                    visible: settings.viewModel.rows.count === 0
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                    text: t("noSavedInstallations")
                    font.pixelSize: 12
                    color: "#6e6e73"
                }
                Column {
                    id: rowList
                    Layout.fillWidth: true
                    spacing: 4
                    visible: settings.viewModel.rows.count > 0
                    // The row being dragged and where it would land.
                    property int dragFrom: -1
                    property int dragTo: -1
                    Repeater {
                        model: settings.viewModel.rows
                        LogicAppRow {
                            width: rowList.width
                            viewModel: settings.viewModel
                            l10n: settings.l10n
                            dragFrom: rowList.dragFrom
                            dragTo: rowList.dragTo
                            onDragMoved: (from, to) => {
                                rowList.dragFrom = from;
                                rowList.dragTo = Math.max(0, Math.min(to, settings.viewModel.rows.count - 1));
                            }
                            onDragEnded: {
                                rowList.dragFrom = -1;
                                rowList.dragTo = -1;
                            }
                        }
                    }
                }

                // ---- editor -----------------------------------------------------------
                SectionHeader {
                    id: editorHeader
                    objectName: "editorHeader"
                    text: settings.viewModel.isEditing ? t("editLogicPro") : t("addLogicPro")
                    Layout.topMargin: 6
                }
                // Return anywhere in the window is Done; Add (or Save) is its own button.
                TextField {
                    id: draftName
                    objectName: "draftName"
                    focus: true // ready for typing when the window opens
                    Layout.fillWidth: true
                    placeholderText: t("displayName")
                    text: settings.viewModel.draftName
                    onTextEdited: settings.viewModel.draftName = text
                }
                RowLayout {
                    Layout.fillWidth: true
                    TextField {
                        objectName: "draftPath"
                        Layout.fillWidth: true
                        placeholderText: t("pathToApp")
                        text: settings.viewModel.draftPath
                        onTextEdited: settings.viewModel.draftPath = text
                    }
                    Button {
                        text: t("browse")
                        onClicked: settings.viewModel.chooseApplication()
                    }
                }
                Label {
                    objectName: "editorError"
                    visible: text !== ""
                    Layout.fillWidth: true
                    text: settings.viewModel.errorMessage
                    color: "#d70015"
                    font.pixelSize: 11
                    wrapMode: Text.WordWrap
                }
                RowLayout {
                    id: editorButtons
                    Layout.fillWidth: true
                    Item { Layout.fillWidth: true }
                    Button {
                        objectName: "cancelEdit"
                        visible: settings.viewModel.isEditing
                        text: t("cancel")
                        onClicked: settings.viewModel.beginAdd()
                    }
                    Button {
                        objectName: "saveDraft"
                        text: settings.viewModel.isEditing ? t("save") : t("add")
                        highlighted: true
                        enabled: settings.viewModel.canSaveDraft
                        onClicked: settings.viewModel.saveDraft()
                    }
                }

                // ---- drop zone ----------------------------------------------------------
                Rectangle {
                    objectName: "dropZone"
                    Layout.fillWidth: true
                    Layout.topMargin: 4
                    implicitHeight: dropColumn.implicitHeight + 32
                    radius: 10
                    color: settings.viewModel.dropTargetHighlighted ? Qt.rgba(0.04, 0.52, 1, 0.08) : "transparent"
                    border.width: 1
                    border.color: settings.viewModel.dropTargetHighlighted ? "#0a84ff" : Qt.rgba(0.5, 0.5, 0.55, 0.45)

                    Column {
                        id: dropColumn
                        anchors.centerIn: parent
                        spacing: 4
                        Image {
                            anchors.horizontalCenter: parent.horizontalCenter
                            source: "icons/square.and.arrow.down.svg"
                            width: 20
                            height: 20
                            sourceSize: Qt.size(40, 40)
                        }
                        Label {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: t("dropLogicHere")
                            font.pixelSize: 12
                            font.weight: Font.Medium
                        }
                        Label {
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: Math.min(implicitWidth, dropColumn.parent.width - 24)
                            horizontalAlignment: Text.AlignHCenter
                            wrapMode: Text.WordWrap
                            text: t("dropLogicHint")
                            font.pixelSize: 11
                            color: "#6e6e73"
                        }
                    }
                    DropArea {
                        anchors.fill: parent
                        onEntered: (drag) => settings.viewModel.dropTargetHighlighted = drag.hasUrls
                        onExited: settings.viewModel.dropTargetHighlighted = false
                        onDropped: (drop) => {
                            settings.viewModel.dropTargetHighlighted = false;
                            if (drop.hasUrls) {
                                settings.viewModel.dropURLs(drop.urls);
                                drop.accept();
                            }
                        }
                    }
                }

                // ---- about ------------------------------------------------------------------
                SectionHeader { text: t("about"); Layout.topMargin: 6 }
                Label {
                    objectName: "appVersion"
                    text: settings.l10n.text("appVersionLabel", [settings.viewModel.appVersion])
                    font.pixelSize: 12
                }
                Label { text: t("developerCredit"); font.pixelSize: 12 }
                LinkText { text: t("telegramHandle"); onActivated: settings.viewModel.openContact() }
                LinkText { text: t("logicOnAppStore"); onActivated: settings.viewModel.openLogicOnAppStore() }
                LinkText {
                    text: t("downloadPreviousVersions")
                    onActivated: settings.viewModel.openPreviousVersions()
                }
            }
        }
    }

    // A check box whose label wraps instead of widening the page.
    component WrappingCheckBox: CheckBox {
        id: box
        Layout.fillWidth: true
        contentItem: Text {
            text: box.text
            font: box.font
            color: "#1d1d1f"
            wrapMode: Text.WordWrap
            verticalAlignment: Text.AlignVCenter
            leftPadding: box.indicator.width + box.spacing
        }
    }

    component SectionHeader: Label {
        font.pixelSize: 12
        font.weight: Font.DemiBold
        color: "#6e6e73"
    }

    component LinkText: Label {
        id: link
        signal activated()
        font.pixelSize: 12
        color: "#0a64d6"
        font.underline: linkHover.hovered
        HoverHandler { id: linkHover; cursorShape: Qt.PointingHandCursor }
        TapHandler { onTapped: link.activated() }
        Accessible.role: Accessible.Link
    }
}
