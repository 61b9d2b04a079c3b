// Where a track's output goes unless the user names it: NoIcons_ before the track's own name,
// beside the track or in a chosen folder. The windows and the command line all name outputs
// here.
#pragma once

#include <string>

namespace quellmark {

// NoIcons_<TrackName>.
std::string OutputNameFor(const std::string& TrackName);

// The part of Path after its folder: after the last separator ('/', and on Windows '\' and a
// drive's colon).
std::string FileNameOf(const std::string& Path);

// The folder part of Path with its closing separator ("" for a bare name).
std::string FolderPartOf(const std::string& Path);

// The output of the track at TrackPath: beside it, or in Folder when one is given.
std::string OutputPathFor(const std::string& TrackPath, const std::string& Folder = {});

}  // namespace quellmark
