// What a replaced file keeps: its owner where the system allows it, its mode bits, its ACL and
// its other extended attributes, but nothing that vouches for the old content alone.
#pragma once

#include <string>

#include "conversion/files/posix/path_entry.h"

namespace quellmark {

// Gives the file open at To the attributes of the file open at From (an O_PATH descriptor will
// do), which is Entry in its folder. Attributes that certify content (file capabilities,
// integrity labels) and those /etc/xattr.conf says to skip are not carried over. Where the
// filesystem refuses an attribute the file goes on without it, as long as it is open to no
// more users than the file it replaces. Throws TrackFileError, naming Path, when it would be
// more open, or when the ACL cannot be kept.
void KeepFileAttributes(int From, const PathEntry& Entry, int To, const std::string& Path);

}  // namespace quellmark
