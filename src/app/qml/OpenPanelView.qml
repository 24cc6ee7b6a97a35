import QtQuick
import QtQuick.Dialogs

// The open panel choosing one application bundle: a file chooser where bundles are files
// (the Mac's own panel), a folder chooser where they are folders (the simulated Mac).
// open() shows it; at `finished`, `chosen` is the chosen URL, or empty when cancelled.
// The dialogs name their window: found by themselves, it may not be known yet when they
// are made, and a non-native dialog without one never shows.
Item {
    id: panel
    property bool bundlesAreFolders: false
    property string message
    property string prompt
    property url startFolder
    property url chosen
    signal finished()

    // Whether the panel is showing (a dialog that cannot show would never finish).
    function open(): bool {
        panel.close();
        panel.chosen = "";
        const dialog = panel.bundlesAreFolders ? folders : files;
        dialog.open();
        return dialog.visible;
    }
    // Closes a panel left open (its wait ended without an answer: the window went).
    function close() {
        files.close();
        folders.close();
    }

    FileDialog {
        id: files
        parentWindow: panel.Window.window
        title: panel.message
        acceptLabel: panel.prompt
        currentFolder: panel.startFolder
        fileMode: FileDialog.OpenFile
        nameFilters: ["*.app"]
        onAccepted: { panel.chosen = files.selectedFile; panel.finished(); }
        onRejected: panel.finished()
    }
    FolderDialog {
        id: folders
        parentWindow: panel.Window.window
        title: panel.message
        acceptLabel: panel.prompt
        currentFolder: panel.startFolder
        onAccepted: { panel.chosen = folders.selectedFolder; panel.finished(); }
        onRejected: panel.finished()
    }
}
