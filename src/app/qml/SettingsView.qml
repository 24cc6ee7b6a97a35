import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Vantrel

// The settings window's content: behaviour, the installations, the editor, the drop zone,
// the Audio Unit plug-ins and the about section, under a header with Done. A language change rebuilds it whole.
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
        // The page reads the window's own objects. qmllint 6.4 flags ids from outside a
        // Component; ComponentBehavior: Bound would fix that, but Qt 6.4's Loader then refuses
        // to create the page ("Cannot instantiate bound component outside its creation context").
        // qmllint disable unqualified
        sourceComponent: SettingsPage {
            viewModel: settings.viewModel
            preferences: settings.preferences
            l10n: settings.l10n
            window: settings.window
        }
        // qmllint enable unqualified
    }

    // The open panel of "Choose…", outside the page: it outlives a language change.
    OpenPanelView {
        objectName: "openPanel"
        anchors.fill: parent
    }

    component SettingsPage: ColumnLayout {
        id: content
        required property SettingsViewModel viewModel
        required property AppPreferences preferences
        required property LocalizationStore l10n
        required property SettingsWindow window
        spacing: 0

        function t(key) { return content.l10n.text(key) }
        // Edit shows the editor: scrolled into view, the name ready for typing.
        function revealEditor() {
            const flick = scroll.contentItem as Flickable;
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
            target: content.viewModel
            function onDraftChanged() {
                if (content.viewModel.isEditing) {
                    // Qt 6.4 declares Qt.callLater a QJSValue property, which qmllint doubts is callable.
                    Qt.callLater(content.revealEditor); // qmllint disable type
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
                textFormat: Text.PlainText
                text: content.t("settings")
                font.pixelSize: 15
                font.weight: Font.DemiBold
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "doneButton"
                text: content.t("done")
                highlighted: true
                onClicked: content.window.close()
            }
        }
        Rectangle { Layout.fillWidth: true; height: 1; color: "#d1d1d6" }

        ScrollView {
            id: scroll
            objectName: "settingsScroll"
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
                SectionHeader { text: content.t("behavior") }
                RowLayout {
                    Layout.fillWidth: true
                    Label { text: content.t("languagePickerLabel"); font.pixelSize: 12 }
                    Repeater {
                        model: content.viewModel.languageChoices()
                        // The delegate reads the page's ids (see the Loader above).
                        // qmllint disable unqualified
                        Button {
                            required property var modelData
                            objectName: "language-" + modelData.code
                            text: modelData.name
                            checkable: true
                            checked: content.l10n.languageCode === modelData.code
                            font.pixelSize: 12
                            onClicked: {
                                if (content.l10n.languageCode !== modelData.code) {
                                    content.l10n.languageCode = modelData.code;
                                } else {
                                    checked = true;
                                }
                            }
                        }
                        // qmllint enable unqualified
                    }
                }
                WrappingCheckBox {
                    objectName: "closeOnFocusLoss"
                    text: content.t("closeOnFocusLoss")
                    font.pixelSize: 12
                    checked: content.preferences.closeOnFocusLoss
                    onToggled: content.preferences.closeOnFocusLoss = checked
                }
                WrappingCheckBox {
                    objectName: "closeOtherLogicOnLaunch"
                    text: content.t("closeOtherLogicOnLaunch")
                    font.pixelSize: 12
                    checked: content.preferences.closeOtherLogicOnLaunch
                    onToggled: content.preferences.closeOtherLogicOnLaunch = checked
                }
                WrappingCheckBox {
                    objectName: "rememberProjectCopies"
                    text: content.t("rememberProjectCopies")
                    font.pixelSize: 12
                    checked: content.viewModel.remembersProjects
                    onToggled: content.viewModel.remembersProjects = checked
                }
                Button {
                    objectName: "forgetProjectHistory"
                    text: content.t("forgetProjectHistory")
                    font.pixelSize: 12
                    enabled: content.viewModel.hasProjectHistory
                    onClicked: content.viewModel.forgetProjectHistory()
                }

                // ---- installations --------------------------------------------------
                SectionHeader { text: content.t("logicInstallations"); Layout.topMargin: 6 }
                // rows is declared a QObject* in C++, so qmllint cannot see its count.
                Label {
                    textFormat: Text.PlainText
                    objectName: "reorderHint"
                    visible: content.viewModel.rows.count > 0 // qmllint disable type
                    Layout.fillWidth: true
                    text: content.t("reorderHint")
                    font.pixelSize: 11
                    opacity: 0.6
                    wrapMode: Text.WordWrap
                }
                Label {
                    textFormat: Text.PlainText
                    objectName: "noSavedInstallations"
                    visible: content.viewModel.rows.count === 0 // qmllint disable type
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                    text: content.t("noSavedInstallations")
                    font.pixelSize: 12
                    color: "#6e6e73"
                }
                Column {
                    id: rowList
                    Layout.fillWidth: true
                    spacing: 4
                    visible: content.viewModel.rows.count > 0 // qmllint disable type
                    // The row being dragged and where it would land.
                    property int dragFrom: -1
                    property int dragTo: -1
                    Repeater {
                        model: content.viewModel.rows
                        // The delegate reads the page's ids (see the Loader above).
                        // qmllint disable unqualified
                        LogicAppRow {
                            width: rowList.width
                            viewModel: content.viewModel
                            l10n: content.l10n
                            dragFrom: rowList.dragFrom
                            dragTo: rowList.dragTo
                            onDragMoved: (from, to) => {
                                rowList.dragFrom = from;
                                rowList.dragTo = Math.max(0, Math.min(to, content.viewModel.rows.count - 1));
                            }
                            onDragEnded: {
                                rowList.dragFrom = -1;
                                rowList.dragTo = -1;
                            }
                        }
                        // qmllint enable unqualified
                    }
                }

                // ---- editor -----------------------------------------------------------
                SectionHeader {
                    id: editorHeader
                    objectName: "editorHeader"
                    text: content.viewModel.isEditing ? content.t("editLogicPro") : content.t("addLogicPro")
                    Layout.topMargin: 6
                }
                // Return anywhere in the window is Done; Add (or Save) is its own button.
                TextField {
                    id: draftName
                    objectName: "draftName"
                    focus: true // ready for typing when the window opens
                    Layout.fillWidth: true
                    placeholderText: content.t("displayName")
                    text: content.viewModel.draftName
                    onTextEdited: content.viewModel.draftName = text
                }
                RowLayout {
                    Layout.fillWidth: true
                    TextField {
                        objectName: "draftPath"
                        Layout.fillWidth: true
                        placeholderText: content.t("pathToApp")
                        text: content.viewModel.draftPath
                        onTextEdited: content.viewModel.draftPath = text
                    }
                    Button {
                        objectName: "browse"
                        text: content.t("browse")
                        // Later, not inside the click: the open panel waits for its answer
                        // in an event loop of its own, and a language change may rebuild this
                        // button meanwhile. (Qt 6.4's qmllint doubts Qt.callLater is callable.)
                        onClicked: Qt.callLater(content.viewModel.chooseApplication) // qmllint disable type
                    }
                }
                Label {
                    textFormat: Text.PlainText
                    objectName: "editorError"
                    visible: text !== ""
                    Layout.fillWidth: true
                    text: content.viewModel.errorMessage
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
                        visible: content.viewModel.isEditing
                        text: content.t("cancel")
                        onClicked: content.viewModel.beginAdd()
                    }
                    Button {
                        objectName: "saveDraft"
                        text: content.viewModel.isEditing ? content.t("save") : content.t("add")
                        highlighted: true
                        enabled: content.viewModel.canSaveDraft
                        onClicked: content.viewModel.saveDraft()
                    }
                }

                // ---- drop zone ----------------------------------------------------------
                Rectangle {
                    objectName: "dropZone"
                    Layout.fillWidth: true
                    Layout.topMargin: 4
                    implicitHeight: dropColumn.implicitHeight + 32
                    radius: 10
                    color: content.viewModel.dropTargetHighlighted ? Qt.rgba(0.04, 0.52, 1, 0.08) : "transparent"
                    border.width: 1
                    border.color: content.viewModel.dropTargetHighlighted ? "#0a84ff" : Qt.rgba(0.5, 0.5, 0.55, 0.45)

                    Column {
                        id: dropColumn
                        anchors.centerIn: parent
                        spacing: 4
                        Image {
                            anchors.horizontalCenter: parent.horizontalCenter
                            source: "icons/square.and.arrow.down.svg"
                            width: 20
                            height: 20
                            sourceSize.width: 40
                            sourceSize.height: 40
                        }
                        Label {
                            textFormat: Text.PlainText
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: content.t("dropLogicHere")
                            font.pixelSize: 12
                            font.weight: Font.Medium
                        }
                        Label {
                            textFormat: Text.PlainText
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: Math.min(implicitWidth, dropColumn.parent.width - 24)
                            horizontalAlignment: Text.AlignHCenter
                            wrapMode: Text.WordWrap
                            text: content.t("dropLogicHint")
                            font.pixelSize: 11
                            color: "#6e6e73"
                        }
                    }
                    DropArea {
                        anchors.fill: parent
                        onEntered: (drag) => content.viewModel.dropTargetHighlighted = drag.hasUrls
                        onExited: content.viewModel.dropTargetHighlighted = false
                        onDropped: (drop) => {
                            content.viewModel.dropTargetHighlighted = false;
                            if (drop.hasUrls) {
                                content.viewModel.dropURLs(drop.urls);
                                drop.accept();
                            }
                        }
                    }
                }

                // ---- plug-ins -------------------------------------------------------------
                SectionHeader { text: content.t("pluginsLabel"); Layout.topMargin: 6 }
                Label {
                    textFormat: Text.PlainText
                    objectName: "pluginsStatus"
                    visible: text !== ""
                    Layout.fillWidth: true
                    text: content.viewModel.pluginsStatus
                    color: "#6e6e73"
                    font.pixelSize: 12
                    wrapMode: Text.WordWrap
                }
                GridLayout {
                    objectName: "pluginCounts"
                    visible: content.viewModel.pluginCounts.length > 0
                    columns: 2
                    columnSpacing: 28
                    rowSpacing: 4
                    Repeater {
                        model: content.viewModel.pluginCounts
                        Label {
                            textFormat: Text.PlainText
                            required property string modelData
                            text: modelData
                            font.pixelSize: 12
                        }
                    }
                }
                Repeater {
                    model: content.viewModel.pluginGroups
                    ColumnLayout {
                        id: pluginGroup
                        required property var modelData
                        Layout.fillWidth: true
                        Layout.topMargin: 2
                        spacing: 2
                        Label {
                            textFormat: Text.PlainText
                            text: pluginGroup.modelData.title
                            color: "#6e6e73"
                            font.pixelSize: 11
                            font.weight: Font.DemiBold
                        }
                        Repeater {
                            model: pluginGroup.modelData.plugins
                            RowLayout {
                                id: pluginRow
                                required property var modelData
                                objectName: "pluginRow"
                                Layout.fillWidth: true
                                spacing: 8
                                Label {
                                    id: pluginName
                                    textFormat: Text.PlainText
                                    Layout.fillWidth: true
                                    text: pluginRow.modelData.name
                                    elide: Text.ElideMiddle
                                    font.pixelSize: 12
                                    // A name cut short shows whole on hover.
                                    HoverHandler { id: pluginNameHover }
                                    ToolTip.visible: pluginNameHover.hovered && pluginName.truncated
                                    ToolTip.text: pluginName.text
                                }
                                Label {
                                    textFormat: Text.PlainText
                                    visible: text !== ""
                                    Layout.maximumWidth: 96
                                    text: pluginRow.modelData.version
                                    elide: Text.ElideRight
                                    color: "#6e6e73"
                                    font.pixelSize: 11
                                }
                                // The delegate reads the page's ids (see the Loader above).
                                // qmllint disable unqualified
                                Button {
                                    objectName: "showPluginInFinder"
                                    text: content.t("showInFinder")
                                    font.pixelSize: 11
                                    onClicked: content.viewModel.revealPlugin(pluginRow.modelData.path)
                                }
                                // qmllint enable unqualified
                            }
                        }
                    }
                }

                // ---- about ------------------------------------------------------------------
                SectionHeader { text: content.t("about"); Layout.topMargin: 6 }
                Label {
                    textFormat: Text.PlainText
                    objectName: "appVersion"
                    text: content.l10n.text("appVersionLabel", [content.viewModel.appVersion])
                    font.pixelSize: 12
                }
                Label { text: content.t("developerCredit"); font.pixelSize: 12 }
                LinkText { text: content.t("telegramHandle"); onActivated: content.viewModel.openContact() }
                LinkText { text: content.t("logicOnAppStore"); onActivated: content.viewModel.openLogicOnAppStore() }
                LinkText {
                    text: content.t("downloadPreviousVersions")
                    onActivated: content.viewModel.openPreviousVersions()
                }
            }
        }
    }

    // A check box whose label wraps instead of widening the page.
    component WrappingCheckBox: CheckBox {
        id: box
        Layout.fillWidth: true
        contentItem: Text {
            textFormat: Text.PlainText
            text: box.text
            font: box.font
            color: "#1d1d1f"
            wrapMode: Text.WordWrap
            verticalAlignment: Text.AlignVCenter
            leftPadding: box.indicator.width + box.spacing
        }
    }

    component SectionHeader: Label {
        textFormat: Text.PlainText
        font.pixelSize: 12
        font.weight: Font.DemiBold
        color: "#6e6e73"
    }

    component LinkText: Label {
        id: link
        textFormat: Text.PlainText
        signal activated()
        font.pixelSize: 12
        color: "#0a64d6"
        font.underline: linkHover.hovered
        HoverHandler { id: linkHover; cursorShape: Qt.PointingHandCursor }
        TapHandler { onTapped: link.activated() }
        Accessible.role: Accessible.Link
    }
}
