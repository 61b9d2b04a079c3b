// The Linux part of the folder flushes a list puts off: descriptors of the folders waiting.
#pragma once

#include <mutex>
#include <vector>

#include "conversion/file_identity.h"
#include "conversion/folder_flushes.h"
#include "conversion/posix/file_descriptor.h"

namespace quellmark {

class FolderFlushes::Folders {
  public:
    // Notes the folder open at Folder as needing a flush; IfFailed is the failure to report,
    // but for its reason.
    std::shared_ptr<const DeferredFlush> Defer(int Folder, const FileIdentity& Identity,
                                               const Failure& IfFailed);
    void FlushAll();

  private:
    static constexpr std::size_t MaxWaiting = 16;
    struct Waiting {
        FileDescriptor Descriptor;
        FileIdentity Identity;
        Failure IfFailed;
        std::shared_ptr<DeferredFlush> Flush;
    };
    void FlushLocked();

    std::mutex Guard_;
    std::vector<Waiting> Waiting_;
};

}  // namespace quellmark
