#pragma once

#include <QString>

// Where one launcher per user and key (the simulated Mac's folder; on a Mac the bundle
// identifier) keeps its lock and socket, and whether a launcher holds that lock now. The
// launcher holds it for its life (SingleInstance); the command line asks before a launch.
namespace vantrel::InstanceLock {

// The folder for this user: $XDG_RUNTIME_DIR, else /tmp/vantrel-<uid>; on a Mac the
// per-user temporary folder.
QString defaultFolder();

// "<folder>/vantrel-<first 16 hex digits of the key's SHA-1>": the lock is this path with
// ".lock", the socket with ".sock".
QString basePath(const QString& folder, const QString& key);

// Whether a process holds the lock of `key` in `folder` now. Nothing is made: no lock
// file, no launcher. A link in its place is not followed and counts as no launcher.
bool isHeld(const QString& folder, const QString& key);

} // namespace vantrel::InstanceLock
