#include "conversion/files/leftover_sweep.h"

#include <algorithm>

namespace quellmark {

LeftoverSweep::LeftoverSweep(std::vector<FileIdentity> Tracks) : Tracks_(std::move(Tracks)) {}

bool LeftoverSweep::IsTrack(const FileIdentity& File) const {
    return std::find(Tracks_.begin(), Tracks_.end(), File) != Tracks_.end();
}

bool LeftoverSweep::FirstLook(const FileIdentity& Folder) {
    const std::lock_guard Held(Guard_);
    if (std::find(Looked_.begin(), Looked_.end(), Folder) != Looked_.end()) {
        return false;
    }
    Looked_.push_back(Folder);
    return true;
}

}  // namespace quellmark
