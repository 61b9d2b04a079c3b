// The tracks named on the window program's command line, as a file manager passes them.
#pragma once

#include <string>
#include <vector>

namespace quellmark {

struct TrackArguments {
    std::vector<std::string> Tracks;   // in their order, as the system names them, bytes kept
    std::vector<std::string> Missing;  // those of them that name no file, as given
};

// An argument that names an existing file is that file, whatever it looks like ("sortie:2.trk",
// bytes that are no UTF-8); else a file:// address names the local file it points to. Anything
// else names no file: it stays in the list, to be reported, never skipped in silence.
TrackArguments ReadTrackArguments(const std::vector<std::string>& Arguments);

}  // namespace quellmark
