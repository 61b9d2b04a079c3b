#include "window_logic/track_arguments.h"

#include <cctype>

#include "window_logic/run_words.h"

namespace quellmark {
namespace {

int HexValue(char Digit) {
    if (std::isdigit(static_cast<unsigned char>(Digit))) {
        return Digit - '0';
    }
    const int Lower = std::tolower(static_cast<unsigned char>(Digit));
    return Lower >= 'a' && Lower <= 'f' ? Lower - 'a' + 10 : -1;
}

// The local path of a file:// address (file:///p or file://localhost/p), escapes undone; empty
// for anything else.
std::string LocalPathOf(const std::string& Address) {
    std::string Rest;
    for (const char* Prefix : {"file://localhost/", "file:///"}) {
        if (Address.rfind(Prefix, 0) == 0) {
            Rest = Address.substr(std::string(Prefix).size() - 1);
            break;
        }
    }
    std::string Path;
    for (std::size_t At = 0; At < Rest.size(); ++At) {
        const int High = At + 2 < Rest.size() ? HexValue(Rest[At + 1]) : -1;
        const int Low = At + 2 < Rest.size() ? HexValue(Rest[At + 2]) : -1;
        if (Rest[At] == '%' && High >= 0 && Low >= 0) {
            Path += static_cast<char>(High * 16 + Low);
            At += 2;
        } else {
            Path += Rest[At];
        }
    }
#ifdef _WIN32
    // file:///C:/a.trk names C:/a.trk.
    if (Path.size() > 2 && Path[0] == '/' && Path[2] == ':') {
        Path.erase(0, 1);
    }
#endif
    return Path;
}

}  // namespace

TrackArguments ReadTrackArguments(const std::vector<std::string>& Arguments) {
    TrackArguments Read;
    for (const auto& Argument : Arguments) {
        if (PathExists(Argument)) {
            Read.Tracks.push_back(Argument);
        } else if (const auto Local = LocalPathOf(Argument); !Local.empty() && PathExists(Local)) {
            Read.Tracks.push_back(Local);
        } else {
            Read.Tracks.push_back(Argument);
            Read.Missing.push_back(Argument);
        }
    }
    return Read;
}

}  // namespace quellmark
