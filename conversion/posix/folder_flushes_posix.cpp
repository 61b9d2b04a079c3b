#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "conversion/posix/folder_flushes_posix.h"

namespace quellmark {

namespace {

// Flushes Folder and marks Flush done, with IfFailed and the system's reason if it failed.
void FlushInto(int Folder, const Failure& IfFailed, DeferredFlush& Flush) {
    if (::fsync(Folder) != 0 && errno != EINVAL) {
        Flush.Failed = IfFailed;
        Flush.Failed->Why = Reason::FromErrno(errno);
    }
    Flush.Done = true;
}

}  // namespace

FolderFlushes::FolderFlushes() : Folders_(std::make_unique<Folders>()) {}

FolderFlushes::~FolderFlushes() {
    FlushAll();
}

void FolderFlushes::FlushAll() {
    Folders_->FlushAll();
}

std::shared_ptr<const DeferredFlush> FolderFlushes::Folders::Defer(int Folder,
                                                                   const FileIdentity& Identity,
                                                                   const Failure& IfFailed) {
    const std::lock_guard Held(Guard_);
    for (auto& Each : Waiting_) {
        if (Each.Identity == Identity) {
            return Each.Flush;
        }
    }
    // Open files stay few, whatever the list: past a handful of folders they are flushed now.
    if (Waiting_.size() >= MaxWaiting) {
        FlushLocked();
    }
    const int Kept = ::fcntl(Folder, F_DUPFD_CLOEXEC, 0);
    auto Flush = std::make_shared<DeferredFlush>();
    if (Kept < 0) {
        // No descriptor to keep: flushed at once, as a single run does.
        FlushInto(Folder, IfFailed, *Flush);
        return Flush;
    }
    Waiting_.push_back({FileDescriptor(Kept), Identity, IfFailed, Flush});
    return Flush;
}

void FolderFlushes::Folders::FlushAll() {
    const std::lock_guard Held(Guard_);
    FlushLocked();
}

void FolderFlushes::Folders::FlushLocked() {
    for (auto& Each : Waiting_) {
        FlushInto(Each.Descriptor.Get(), Each.IfFailed, *Each.Flush);
    }
    Waiting_.clear();
}

}  // namespace quellmark
