#include "window_logic/track_arguments.h"

#include <algorithm>

#include "conversion/files/path_syntax.h"

namespace quellmark {

const char* const WindowProgramPurpose =
    "Rewrite a recorded track so that it plays back without object icons. One TRACK is opened "
    "as the input; several are loaded as a list to convert.";
const char* const WindowProgramTracks = "Track files to open.";

WindowCommandLine SplitWindowCommandLine(const std::vector<std::string>& Words) {
    WindowCommandLine Line;
    bool OptionsEnded = false;
    for (const auto& Word : Words) {
        if (!OptionsEnded && Word == "--") {
            OptionsEnded = true;
        } else if (!OptionsEnded && Word.size() > 1 && Word.front() == '-') {
            Line.Options.push_back(Word);
        } else {
            Line.Tracks.push_back(Word);
        }
    }
    return Line;
}

std::string PackedTracks(const std::vector<std::string>& Tracks) {
    std::string Bytes;
    for (const auto& Track : Tracks) {
        Bytes += Track + '\0';
    }
    return Bytes;
}

std::vector<std::string> UnpackedTracks(const std::string& Bytes) {
    std::vector<std::string> Tracks;
    for (std::size_t At = 0; At < Bytes.size();) {
        const std::size_t End = std::min(Bytes.find('\0', At), Bytes.size());
        Tracks.push_back(Bytes.substr(At, End - At));
        At = End + 1;
    }
    return Tracks;
}

TrackArguments ReadTrackArguments(const std::vector<std::string>& Arguments,
                                  const FileLookup& Files) {
    TrackArguments Read;
    for (const auto& Argument : Arguments) {
        if (Files.Exists(Argument)) {
            Read.Tracks.push_back(Argument);
        } else if (const auto Local = LocalPathOfFileUrl(Argument);
                   !Local.empty() && Files.Exists(Local)) {
            Read.Tracks.push_back(Local);
        } else {
            Read.Tracks.push_back(Argument);
            Read.Missing.push_back(Argument);
        }
    }
    return Read;
}

}  // namespace quellmark
