// The folder flushes a list of runs puts off: each output's folder must reach the disk after
// its new name, so that the name survives a crash, but one flush of a folder after many renames
// serves them all. The new track's own bytes are always on disk before it takes the name; only
// the name's flush waits. Every system has its own (Windows needs no folder flush, and this
// does nothing there).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "conversion/failure.h"

namespace quellmark {

// A folder flush put off, as one track sees it: Failed says why it failed, with that track's
// names, once Done.
struct DeferredFlush {
    bool Done = false;
    std::optional<Failure> Failed;
};

class FolderFlushes {
  public:
    // At most MaxWaiting folders are held open for a later flush; past that, the ones waiting
    // are flushed at once. 0: every folder is flushed at once.
    explicit FolderFlushes(std::size_t MaxWaiting = 16);
    FolderFlushes(const FolderFlushes&) = delete;
    FolderFlushes& operator=(const FolderFlushes&) = delete;
    // Flushes whatever is still waiting.
    ~FolderFlushes();

    // Flushes every folder noted so far, once each, and marks their flushes done. Any thread.
    void FlushAll();

    // The system's part: how a folder is noted. Any thread.
    class Folders;
    Folders& System() { return *Folders_; }

  private:
    std::unique_ptr<Folders> Folders_;
};

}  // namespace quellmark
