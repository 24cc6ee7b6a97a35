#pragma once

#include "nativehost/InstanceLock.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <optional>

namespace vantrel::test {

// Every test process (and every launcher and command line it starts) keeps its
// single-instance lock and socket in a private folder of its own, removed at the end, so
// that no test sees or leaves anything in the user's real folder. A folder the harness
// chose already is kept.
class PrivateInstanceFolder {
public:
    PrivateInstanceFolder()
    {
        if (qEnvironmentVariableIsEmpty(InstanceLock::folderVariable)) {
            m_folder.emplace(); // QTemporaryDir makes it 0700
            if (!m_folder->isValid()) {
                std::abort(); // never fall back to the user's own folder
            }
            qputenv(InstanceLock::folderVariable, m_folder->path().toLocal8Bit());
        }
    }

private:
    std::optional<QTemporaryDir> m_folder;
};

} // namespace vantrel::test
