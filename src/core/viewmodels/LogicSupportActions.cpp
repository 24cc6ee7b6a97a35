#include "viewmodels/LogicSupportActions.h"

#include "async/Timings.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/Scripting.h"
#include "platform/Workspace.h"

#include <QUuid>

namespace vantrel {

LogicSupportActions::LogicSupportActions(Workspace& workspace, FileSystem& fileSystem, Scripting& scripting)
    : m_workspace(workspace)
    , m_fileSystem(fileSystem)
    , m_scripting(scripting)
{
}

void LogicSupportActions::openPluginsFolders()
{
    const QStringList candidates = {
        m_fileSystem.expandTilde(QStringLiteral("~/Library/Audio/Plug-Ins/Components")),
        QStringLiteral("/Library/Audio/Plug-Ins/Components"),
        m_fileSystem.expandTilde(QStringLiteral("~/Library/Audio/Plug-Ins/VST3")),
        QStringLiteral("/Library/Audio/Plug-Ins/VST3"),
    };
    bool openedAny = false;
    for (const QString& folder : candidates) {
        if (m_fileSystem.exists(folder)) {
            m_workspace.open(HostPath::fileURL(folder));
            openedAny = true;
        }
    }
    if (!openedAny) {
        const QString fallback = m_fileSystem.expandTilde(QStringLiteral("~/Library/Audio/Plug-Ins"));
        m_fileSystem.createDirectories(fallback); // a failure only means the open finds nothing
        m_workspace.open(HostPath::fileURL(fallback));
    }
}

QString LogicSupportActions::preferencesScript()
{
    const QString application = QStringLiteral("Logic Pro");
    return QStringList{
        QStringLiteral("tell application \"System Events\""),
        QStringLiteral("    if not (exists process \"Logic Pro\") then"),
        QStringLiteral("        return \"not-running\""),
        QStringLiteral("    end if"),
        QStringLiteral("end tell"),
        QStringLiteral("tell application \"") + application + QStringLiteral("\" to activate"),
        QStringLiteral("delay ") + QString::number(inSeconds(timings::preferencesShortcutPause)),
        QStringLiteral("tell application \"System Events\""),
        QStringLiteral("    keystroke \",\" using command down"),
        QStringLiteral("end tell"),
        QStringLiteral("return \"ok\""),
    }
        .join(u'\n');
}

void LogicSupportActions::openLogicPreferences(const std::optional<QString>& /*bundleIdentifier*/)
{
    if (m_scripting.runScript(preferencesScript()) == u"ok") {
        return;
    }
    const QString preferences =
        m_fileSystem.expandTilde(QStringLiteral("~/Library/Preferences/com.apple.logic10.plist"));
    if (m_fileSystem.exists(preferences)) {
        m_workspace.activateFileViewerSelecting({HostPath::fileURL(preferences)});
    }
}

QString LogicSupportActions::escapedForScript(const QString& path)
{
    // Inside an AppleScript string only the backslash and the double quote are special:
    // backslashes are doubled first, then quotes escaped, so nothing can end the literal.
    QString escaped = path;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return escaped;
}

QString LogicSupportActions::infoWindowScript(const QString& path)
{
    return QStringList{
        QStringLiteral("tell application \"Finder\""),
        QStringLiteral("    activate"),
        QStringLiteral("    set theItem to (POSIX file \"") + escapedForScript(path) + QStringLiteral("\") as alias"),
        QStringLiteral("    open information window of theItem"),
        QStringLiteral("end tell"),
    }
        .join(u'\n');
}

void LogicSupportActions::showGetInfo(const QUrl& url)
{
    const QString pasteboard =
        QStringLiteral("Vantrel.ShowInfo.") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (m_scripting.performService(QStringLiteral("Finder/Show Info"), pasteboard, {url})) {
        return;
    }
    m_workspace.activateFileViewerSelecting({url});
    m_scripting.runScript(infoWindowScript(url.toLocalFile()));
}

} // namespace vantrel
