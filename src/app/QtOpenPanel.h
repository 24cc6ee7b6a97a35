#pragma once

#include "platform/OpenPanel.h"

namespace vantrel {

class FileSystem;

// The open panel as a Qt file dialog over the host's disk: it starts in the host folder
// asked for (on the simulated Mac, that folder inside the root) and hands back the chosen
// bundle as a host path (a folder outside the host's disk comes back as it is). A bundle is
// a folder, so folders are what it chooses; the settings reject anything that is not an
// application bundle.
class QtOpenPanel final : public OpenPanel {
public:
    explicit QtOpenPanel(FileSystem& fileSystem);
    std::optional<QString> chooseApplication(const Request& request) override;

private:
    FileSystem& m_fileSystem;
};

} // namespace vantrel
