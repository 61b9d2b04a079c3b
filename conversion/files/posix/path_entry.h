// The folder entry that a path leads to: the folder, opened, and the name in it of the file
// itself, found by following each symbolic link from the path as given. Failures here are
// returned as the errno they came with, for the caller to decide what they mean (another
// attempt, a refusal, a failure of the run). Working from the path
// as given, and not from an absolute name, keeps paths longer than the system's limit and
// folders whose parents cannot be searched within reach, and needs no /proc.
#pragma once

#include <sys/stat.h>

#include <string>

#include "conversion/files/posix/file_descriptor.h"

namespace quellmark {

struct PathEntry {
    FileDescriptor Folder;        // O_RDONLY where the folder can be read, else O_PATH
    bool FolderReadable = false;  // can be synced and listed
    std::string FolderPath;       // for messages
    std::string Name;             // never a symbolic link
};

// The entry Path leads to, when it is the file of identity Expected. Where following the links
// by hand does not reach that file (a link changed meanwhile, an odd /proc link), the name the
// kernel reached for the file open at Descriptor is tried. Returns the errno of the failure, or
// 0; ESTALE when the entry found is another file.
int FindPathEntry(const std::string& Path, int Descriptor, const FileIdentity& Expected,
                  PathEntry& Entry);

// The entry for a name that does not exist yet: the folder part of Path, opened, and the last
// part. Returns the errno of the failure, or 0.
int OpenParentFolder(const std::string& Path, PathEntry& Entry);

// The /proc name through which the file open at Descriptor can be reached by path.
std::string DescriptorPath(int Descriptor);

// Whether /proc names of descriptors work in this process (not in every chroot or container).
bool DescriptorPathsWork();

}  // namespace quellmark
