// What a replaced file keeps: its owner where the system allows it, its mode bits, its ACL and
// its other extended attributes.
#pragma once

#include <string>

namespace quellmark {

// Gives the file open at To the attributes of the file open at From (an O_PATH descriptor will
// do). Throws TrackFileError, naming Path, when the mode or the ACL cannot be kept: a file that
// silently lost them could be open to more users than before.
void KeepFileAttributes(int From, int To, const std::string& Path);

}  // namespace quellmark
