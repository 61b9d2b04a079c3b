#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "conversion/posix/folder_flushes_posix.h"

namespace quellmark {

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
        Flush->Done = true;
        if (::fsync(Folder) != 0 && errno != EINVAL) {
            Flush->Failed = IfFailed;
            Flush->Failed->Why = Reason::FromErrno(errno);
        }
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
        if (::fsync(Each.Descriptor.Get()) != 0 && errno != EINVAL) {
            Each.Flush->Failed = Each.IfFailed;
            Each.Flush->Failed->Why = Reason::FromErrno(errno);
        }
        Each.Flush->Done = true;
    }
    Waiting_.clear();
}

}  // namespace quellmark
