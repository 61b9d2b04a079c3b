// Where a track's output goes unless the user names it: NoIcons_ before the track's own name,
// beside the track or in a chosen folder. The windows and the command line all name outputs
// here.
#pragma once

#include <string>

namespace quellmark {

// NoIcons_<TrackName>.
std::string OutputNameFor(const std::string& TrackName);

// Whether the track at Path is itself an output, by its name.
bool IsOutputName(const std::string& Path);

// The output of the track at TrackPath: beside it, or in Folder when one is given.
std::string OutputPathFor(const std::string& TrackPath, const std::string& Folder = {});

}  // namespace quellmark
