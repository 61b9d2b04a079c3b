// Putting a finished output in place, in the one order that keeps any earlier file safe: the
// new file takes the attributes of the file it replaces, reaches the disk, and only then takes
// the output's name in one step; the name reaches the disk last. Each system's file layer does
// each step its own way; the order is written here alone, for both.
#pragma once

#include "conversion/files/track_files.h"

namespace quellmark {

class SaveSteps {
  public:
    virtual ~SaveSteps() = default;
    // The attributes of the file being replaced (permissions, access list, owner), or a new
    // file's ordinary ones. Throws TrackFileError where they cannot be kept.
    virtual void KeepAttributes() = 0;
    // The written data on disk. Throws TrackFileError where it cannot be said to be there.
    virtual void FlushData() = 0;
    // The new file takes the output's name, in one step. Throws TrackFileError where it
    // cannot; the earlier file is then as it was.
    virtual void TakeName() = 0;
    // The name on disk, or the flush put off to Later. The track is in place by now: a failure
    // is returned, not thrown.
    virtual CommitResult FlushName(FolderFlushes* Later) = 0;
};

// Runs the steps in their order, asking GoOn before the flush (Saving) and before the name is
// taken (Placing); where it says no, nothing is put in place and nothing more is done.
CommitResult SaveInOrder(SaveSteps& Steps, const CommitGate& GoOn, FolderFlushes* Later);

}  // namespace quellmark
