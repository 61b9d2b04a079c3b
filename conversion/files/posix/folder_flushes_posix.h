// The Linux part of the folder flushes a list puts off: descriptors of the folders waiting.
#pragma once

#include <mutex>
#include <vector>

#include "conversion/files/file_identity.h"
#include "conversion/files/folder_flushes.h"
#include "conversion/files/posix/file_descriptor.h"

namespace quellmark {

class FolderFlushes::Folders {
  public:
    explicit Folders(std::size_t MaxWaiting) : MaxWaiting_(MaxWaiting) {}
    // Notes the folder open at Folder as needing a flush for one track; IfFailed is what that
    // track reports if it fails, but for the reason.
    std::shared_ptr<const DeferredFlush> Defer(int Folder, const FileIdentity& Identity,
                                               const Failure& IfFailed);
    void FlushAll();

  private:
    struct Track {
        Failure IfFailed;
        std::shared_ptr<DeferredFlush> Flush;
    };
    struct Waiting {
        FileDescriptor Descriptor;
        FileIdentity Identity;
        std::vector<Track> Tracks;
    };
    void FlushLocked();
    // Marks each track's flush done, with its own failure where Error says the flush failed.
    static void MarkDone(std::vector<Track>& Tracks, int Error);

    const std::size_t MaxWaiting_;
    std::mutex Guard_;
    std::vector<Waiting> Waiting_;
};

}  // namespace quellmark
