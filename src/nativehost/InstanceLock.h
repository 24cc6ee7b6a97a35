#pragma once

#include <QString>

// Where one launcher per user and key (the simulated Mac's folder; on a Mac the bundle
// identifier) keeps its lock and socket, and whether a launcher holds that lock now. The
// launcher holds it for its life (SingleInstance); the command line asks before a launch.
namespace vantrel::InstanceLock {

// The variable that names the folder instead of the default one; the test harness gives
// every run a private folder of its own through it, so no test touches the user's.
inline constexpr char folderVariable[] = "VANTREL_INSTANCE_FOLDER";

// The folder for this user: $VANTREL_INSTANCE_FOLDER when set, else $XDG_RUNTIME_DIR,
// else /tmp/vantrel-<uid>; on a Mac (without the variable) the per-user temporary folder.
QString defaultFolder();

// What a folder is for the lock and the socket: usable when it is this user's own, not a
// link, and nobody else may write in it (others may enter it: 0755 is as good as 0700).
enum class FolderState {
    usable,
    missing,          // nothing there (or it cannot be looked at)
    notAFolder,       // a file, a socket, a device
    link,             // a symbolic link, wherever it points
    anotherUsers,     // owned by someone else
    writableByOthers, // its group or everyone may create and delete in it
};
FolderState folderState(const QString& folder);

// The key of a simulated Mac's folder: its canonical path, so that a link to it (a
// symlinked --root) names the same Mac; a folder that does not exist keeps its path.
QString keyOfFolder(const QString& root);

// "<folder>/vantrel-<first 16 hex digits of the key's SHA-1>": the lock is this path with
// ".lock", the socket with ".sock".
QString basePath(const QString& folder, const QString& key);

// Whether a launcher of this user holds the lock of `key` in `folder` now. Nothing is
// made: no lock file, no launcher. A folder that is not usable, a link in the lock's
// place, or a lock file that is not this user's own regular file counts as no launcher.
bool isHeld(const QString& folder, const QString& key);

} // namespace vantrel::InstanceLock
