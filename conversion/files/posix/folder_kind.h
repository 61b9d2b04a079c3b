// What kind of folder a file lives in, as far as names and identities go.
#pragma once

#include <string>

#include "conversion/files/posix/path_entry.h"

namespace quellmark {

// Whether an identity belongs to the file. FUSE without use_ino numbers each name it is asked
// about (exFAT's driver gives "a.trk" and "A.TRK" two inodes, and so two spellings of a
// folder), and SMB mounts with noserverino number what the client has seen: there a folder's
// identity says nothing.
bool HasFileIdentities(int Folder);
// The same for the filesystem that Path is on.
bool HasFileIdentitiesAt(const std::string& Path);

// Whether the folder may take two spellings of a name for one file: a casefold folder of
// ext4, f2fs or tmpfs, and every kind of folder not known to tell case apart (vfat, exFAT,
// NTFS, network and FUSE folders), where a refusal is safer than a guess.
bool MayIgnoreCase(int Folder);

// The folder's path as the kernel resolved it, or as the links lead; empty when neither can be
// had.
std::string ResolvedFolderPath(const PathEntry& Entry);

}  // namespace quellmark
