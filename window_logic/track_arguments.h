// The tracks named on the window program's command line, as a file manager passes them.
#pragma once

#include <string>
#include <vector>

#include "window_logic/file_lookup.h"

namespace quellmark {

// The window program's command line, the program's name left out: the words after "--", and
// those that do not look like options, are tracks.
struct WindowCommandLine {
    std::vector<std::string> Options;  // anything else: --help, --version, or a wrong one
    std::vector<std::string> Tracks;
};
WindowCommandLine SplitWindowCommandLine(const std::vector<std::string>& Words);

// Tracks handed from a later start of the window program to the one running, as bytes: each
// name ended by a NUL, which no name holds.
std::string PackedTracks(const std::vector<std::string>& Tracks);
std::vector<std::string> UnpackedTracks(const std::string& Bytes);

// What the window program says of itself and its TRACK arguments in its help.
extern const char* const WindowProgramPurpose;
extern const char* const WindowProgramTracks;

struct TrackArguments {
    std::vector<std::string> Tracks;   // in their order, as the system names them, bytes kept
    std::vector<std::string> Missing;  // those of them that name no file, as given
};

// An argument that names an existing file is that file, whatever it looks like ("sortie:2.trk",
// bytes that are no UTF-8); else a file:// address names the local file it points to. Anything
// else names no file: it stays in the list, to be reported, never skipped in silence.
TrackArguments ReadTrackArguments(const std::vector<std::string>& Arguments,
                                  const FileLookup& Files);

}  // namespace quellmark
