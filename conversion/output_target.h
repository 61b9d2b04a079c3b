// Where the output track goes, as the kernel resolves its path: the kernel follows every link
// and applies its own checks (protected symbolic links among them), and the program works only
// on the descriptors it hands back.
#pragma once

#include <string>

#include "conversion/file_descriptor.h"

namespace quellmark {

struct OutputTarget {
    std::string Path;             // as the user gave it, for messages
    FileDescriptor Folder;        // the folder that gets the final name
    bool FolderReadable = false;  // opened for reading, so it can be synced and its flags read
    std::string FolderPath;       // for messages
    std::string Name;             // the final name inside Folder
    FileDescriptor Existing;      // the file being replaced (O_PATH); closed when the name is new
    FileIdentity ExistingIdentity;
};

// Resolves Path. Throws TrackFileError when the kernel cannot resolve it, when it names an
// existing file that is no writable regular file, or when its folder cannot be opened. A
// symbolic link to a missing file is refused, as cp refuses it.
OutputTarget ResolveOutputTarget(const std::string& Path);

// Whether Target replaces the file of that identity.
inline bool Replaces(const OutputTarget& Target, const FileIdentity& File) {
    return Target.Existing.IsOpen() && Target.ExistingIdentity == File;
}

// The /proc name through which the file open at Descriptor can be reached by path.
std::string DescriptorPath(int Descriptor);

}  // namespace quellmark
