#include "conversion/output_name.h"

#include <string_view>

namespace quellmark {
namespace {

#ifdef _WIN32
// A drive's colon ends the folder part too: C:a.trk is a.trk in drive C's working folder.
constexpr std::string_view Separators = "/\\:";
constexpr char Separator = '\\';
#else
constexpr std::string_view Separators = "/";
constexpr char Separator = '/';
#endif

std::size_t NameStart(const std::string& Path) {
    const auto Last = Path.find_last_of(Separators);
    return Last == std::string::npos ? 0 : Last + 1;
}

}  // namespace

std::string OutputNameFor(const std::string& TrackName) {
    return "NoIcons_" + TrackName;
}

std::string FileNameOf(const std::string& Path) {
    return Path.substr(NameStart(Path));
}

std::string FolderPartOf(const std::string& Path) {
    return Path.substr(0, NameStart(Path));
}

std::string OutputPathFor(const std::string& TrackPath, const std::string& Folder) {
    const std::string Name = OutputNameFor(FileNameOf(TrackPath));
    if (Folder.empty()) {
        return FolderPartOf(TrackPath) + Name;
    }
    const bool Closed = Separators.find(Folder.back()) != std::string_view::npos;
    return Folder + (Closed ? "" : std::string(1, Separator)) + Name;
}

}  // namespace quellmark
