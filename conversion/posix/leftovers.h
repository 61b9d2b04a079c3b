// Hidden files that runs killed outright left behind. A run holds a lock on its temporary file
// from before it has a name until it is gone or has taken the final name; the lock ends with
// the process however it ends. So a hidden file with the program's kind of name that nobody
// holds locked is a leftover, and a later run into the folder removes it.
#pragma once

#include "conversion/posix/path_entry.h"

namespace quellmark {

// Locks the temporary file open at Descriptor as a live run's own. False when another process
// holds a lock on it already (it is then a leftover being removed: take another name); true
// too where the filesystem has no locks, since nobody can then take it for a leftover.
bool LockAsLiveTemporaryFile(int Descriptor);

// Removes the leftovers in Folder, once per folder and process; nothing when the folder cannot
// be listed. Only regular files whose name has the exact form of a temporary name and on which
// a lock can be taken are removed.
void RemoveLeftovers(const PathEntry& Folder);

}  // namespace quellmark
