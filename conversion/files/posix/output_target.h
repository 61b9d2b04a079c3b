// Where the output track goes, as the kernel resolves its path: the kernel follows every link
// and applies its own checks (protected symbolic links among them), and the program works only
// on the descriptors it hands back and on the folder entry that leads to the same file.
#pragma once

#include <sys/stat.h>

#include <string>

#include "conversion/files/posix/file_descriptor.h"
#include "conversion/files/posix/path_entry.h"

namespace quellmark {

struct OutputTarget {
    std::string Path;         // as the user gave it, for messages
    PathEntry Entry;          // the folder that gets the final name, and that name
    FileDescriptor Existing;  // the file being replaced (O_PATH); closed when the name is new
    struct stat ExistingStatus {};
    FileIdentity ExistingIdentity;
    bool MayReplace = true;  // false: an existing file, even one made during the run, is kept
};

// Resolves Path. Throws TrackFileError when the kernel cannot resolve it, when it names an
// existing file that is no regular file or, where it may be replaced, is not writable or is
// append-only or immutable, or when its folder cannot be opened. A symbolic link to a missing file
// is refused, as cp refuses it.
OutputTarget ResolveOutputTarget(const std::string& Path, bool MayReplace = true);

}  // namespace quellmark
