// Opening the input track.
#pragma once

#include <string>

#include "conversion/file_descriptor.h"

namespace quellmark {

// Opens the regular file at Path for reading. Throws TrackFileError for a missing or
// unreadable file and for anything that is not a regular file (a directory, a device, a pipe).
FileDescriptor OpenInputTrack(const std::string& Path);

}  // namespace quellmark
