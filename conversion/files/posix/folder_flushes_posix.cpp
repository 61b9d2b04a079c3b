#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "conversion/files/posix/folder_flushes_posix.h"
#include "conversion/files/system_error_text.h"

namespace quellmark {

namespace {

// Flushes Folder; the errno of a failure, 0 where it worked or where the filesystem has no
// flush for folders (EINVAL).
int FlushFolder(int Folder) {
    return ::fsync(Folder) != 0 && errno != EINVAL ? errno : 0;
}

}  // namespace

FolderFlushes::FolderFlushes(std::size_t MaxWaiting)
    : Folders_(std::make_unique<Folders>(MaxWaiting)) {}

FolderFlushes::~FolderFlushes() {
    FlushAll();
}

void FolderFlushes::FlushAll() {
    Folders_->FlushAll();
}

std::shared_ptr<const DeferredFlush> FolderFlushes::Folders::Defer(int Folder,
                                                                   const FileIdentity& Identity,
                                                                   const Failure& IfFailed) {
    auto Flush = std::make_shared<DeferredFlush>();
    const std::lock_guard Held(Guard_);
    for (auto& Each : Waiting_) {
        if (Each.Identity == Identity) {
            Each.Tracks.push_back({IfFailed, Flush});
            return Flush;
        }
    }
    // Open files stay few, whatever the list: past a handful of folders they are flushed now.
    if (Waiting_.size() >= MaxWaiting_) {
        FlushLocked();
    }
    const int Kept = MaxWaiting_ > 0 ? ::fcntl(Folder, F_DUPFD_CLOEXEC, 0) : -1;
    if (Kept < 0) {
        // No descriptor to keep: flushed at once, as a single run does.
        std::vector<Track> Alone{{IfFailed, Flush}};
        MarkDone(Alone, FlushFolder(Folder));
        return Flush;
    }
    Waiting_.push_back({FileDescriptor(Kept), Identity, {{IfFailed, Flush}}});
    return Flush;
}

void FolderFlushes::Folders::FlushAll() {
    const std::lock_guard Held(Guard_);
    FlushLocked();
}

void FolderFlushes::Folders::FlushLocked() {
    for (auto& Each : Waiting_) {
        MarkDone(Each.Tracks, FlushFolder(Each.Descriptor.Get()));
    }
    Waiting_.clear();
}

void FolderFlushes::Folders::MarkDone(std::vector<Track>& Tracks, int Error) {
    for (auto& Each : Tracks) {
        if (Error != 0) {
            Each.Flush->Failed = Each.IfFailed;
            Each.Flush->Failed->Why = SystemReason(Error);
        }
        Each.Flush->Done = true;
    }
}

}  // namespace quellmark
