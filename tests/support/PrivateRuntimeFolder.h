#pragma once

#include "nativehost/InstanceLock.h"

#include <QTemporaryDir>

#include <cstdlib>

namespace vantrel::test {

// Every test process (and every launcher and command line it starts) keeps its
// single-instance lock and socket in a private folder of its own, removed at the end, so
// that no test sees or leaves anything in the user's real folder. Without a
// $XDG_RUNTIME_DIR the same folder serves as one: Qt would otherwise make
// /tmp/runtime-<user>. What the harness chose already is kept.
class PrivateRuntimeFolder {
public:
    PrivateRuntimeFolder()
    {
        if (!m_folder.isValid()) {
            std::abort(); // never fall back to the user's own folders
        }
        const QByteArray path = QFile::encodeName(m_folder.path()); // QTemporaryDir makes it 0700
        if (qEnvironmentVariableIsEmpty(InstanceLock::folderVariable)) {
            qputenv(InstanceLock::folderVariable, path);
        }
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            qputenv("XDG_RUNTIME_DIR", path);
        }
    }

private:
    QTemporaryDir m_folder;
};

} // namespace vantrel::test
