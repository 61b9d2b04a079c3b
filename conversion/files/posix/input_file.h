// Opening the input track.
#pragma once

#include <cstdint>
#include <string>

#include "conversion/files/posix/file_descriptor.h"

namespace quellmark {

struct InputTrack {
    FileDescriptor File;
    std::uint64_t Size = 0;  // when opened
    FileIdentity Identity;
};

// Opens the regular file at Path for reading. Throws TrackFileError for a missing or
// unreadable file and for anything that is not a regular file (a directory, a device, a pipe).
InputTrack OpenInputTrack(const std::string& Path);

}  // namespace quellmark
