// What the tracks of one list tell the sweep of hidden files that killed runs left behind: the
// list's own tracks, which are never taken for such files whatever their names, and the output
// folders already looked at, so that each is looked at once for the whole list.
#pragma once

#include <mutex>
#include <vector>

#include "conversion/files/file_identity.h"

namespace quellmark {

class LeftoverSweep {
  public:
    explicit LeftoverSweep(std::vector<FileIdentity> Tracks = {});
    LeftoverSweep(const LeftoverSweep&) = delete;
    LeftoverSweep& operator=(const LeftoverSweep&) = delete;

    // Whether File is one of the list's tracks. Any thread.
    bool IsTrack(const FileIdentity& File) const;
    // True the first time Folder is asked about. Any thread.
    bool FirstLook(const FileIdentity& Folder);

  private:
    const std::vector<FileIdentity> Tracks_;
    std::mutex Guard_;
    std::vector<FileIdentity> Looked_;
};

}  // namespace quellmark
