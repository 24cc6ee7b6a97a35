#include "app/QtOpenPanel.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFileDialog>

namespace vantrel {

QtOpenPanel::QtOpenPanel(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
{
}

std::optional<QString> QtOpenPanel::chooseApplication(const Request& request)
{
    const QString start = m_fileSystem.nativePath(request.directory).value_or(QDir::homePath());
    QFileDialog dialog(nullptr, request.message, start);
#if defined(Q_OS_MACOS)
    // The Mac's own open panel: application bundles are files there, one at a time.
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("*.app"));
#else
    // On the simulated Mac a bundle is a folder of this machine's.
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
#endif
    dialog.setLabelText(QFileDialog::Accept, request.prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    // Back from the machine's path to the host's; a folder outside the host's disk stays as
    // it is, and the settings will say it is no bundle there.
    return m_fileSystem.fromPlatformPath(QDir::cleanPath(dialog.selectedFiles().first()));
}

} // namespace vantrel
