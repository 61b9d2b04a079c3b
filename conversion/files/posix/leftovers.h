// Hidden files that runs killed outright left behind. A run holds a lock on its temporary file
// from before anything is written to it until it is gone or has taken the final name, and the
// lock ends with the process however it ends. So a hidden file that this program named (its
// name checks, see temporary_name.h), that holds data, belongs to this user, has no other name
// and is locked by nobody is a leftover, and a later run into the folder removes it. Nothing
// else is ever removed: not a track of the run or of its list, not a file a live run is
// creating, not a file another user or a person made.
#pragma once

#include <optional>

#include "conversion/files/file_identity.h"
#include "conversion/files/leftover_sweep.h"
#include "conversion/files/posix/path_entry.h"

namespace quellmark {

// Locks the temporary file just created at Descriptor as a live run's own. A sweep that looks
// at the empty file in the same instant holds it only for a moment, and the lock is tried again
// meanwhile; false when it could not be had. True too where the filesystem has no locks, since
// no sweep can then take the file for a leftover.
bool LockAsLiveTemporaryFile(int Descriptor);

// Removes the leftovers in Folder, once per folder for a list (List) and, where the folder has
// a birth time, once per process; nothing when the folder cannot be listed. Input, the run's
// own track, and the tracks of List are never removed.
void RemoveLeftovers(const PathEntry& Folder, const std::optional<FileIdentity>& Input,
                     LeftoverSweep* List);

}  // namespace quellmark
