#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

class FileSystem;
class Scripting;
class Workspace;

// The card menu's support actions: the audio plug-in folders, Logic Pro's preferences
// window, and a bundle's Finder information window. None reports a failure.
class LogicSupportActions {
public:
    LogicSupportActions(Workspace& workspace, FileSystem& fileSystem, Scripting& scripting);

    // Opens the existing ones of the four plug-in folders; with none, creates and opens
    // "~/Library/Audio/Plug-Ins".
    void openPluginsFolders();

    // Brings Logic Pro to the front and presses Command-comma; when that cannot be done,
    // shows Logic's preferences file in the Finder if it exists. The identifier is not
    // consulted: the script addresses the application named "Logic Pro".
    void openLogicPreferences(const std::optional<QString>& bundleIdentifier);

    // The "Finder/Show Info" service, else the bundle revealed plus a Finder script.
    void showGetInfo(const QUrl& url);

    static QString preferencesScript();
    static QString infoWindowScript(const QString& path);
    // A path made safe inside an AppleScript string literal.
    static QString escapedForScript(const QString& path);

private:
    Workspace& m_workspace;
    FileSystem& m_fileSystem;
    Scripting& m_scripting;
};

} // namespace vantrel
