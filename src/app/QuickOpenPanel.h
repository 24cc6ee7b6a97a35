#pragma once

#include "platform/OpenPanel.h"

#include <functional>

class QObject;

namespace vantrel {

class FileSystem;

// The open panel as the settings window's OpenPanelView (Qt Quick's dialogs: the Mac's
// own open panel there, Qt's own chooser elsewhere) over the host's disk. It starts in
// the host folder asked for (on the simulated Mac, that folder inside the root) and hands
// back the chosen bundle as a host path (a folder outside the host's disk comes back as
// it is; the settings reject anything that is not an application bundle). Modal: it
// returns once the panel has closed.
class QuickOpenPanel final : public OpenPanel {
public:
    // `view`: the OpenPanelView to show, found when asked for (none: nothing is chosen).
    QuickOpenPanel(FileSystem& fileSystem, std::function<QObject*()> view);
    std::optional<QString> chooseApplication(const Request& request) override;

private:
    FileSystem& m_fileSystem;
    std::function<QObject*()> m_view;
};

} // namespace vantrel
