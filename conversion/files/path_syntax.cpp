#include "conversion/files/path_syntax.h"

#include <string_view>

namespace quellmark {
namespace {

#ifdef _WIN32
constexpr std::string_view Separators = "/\\:";
constexpr char Separator = '\\';
constexpr bool DriveLetters = true;
#else
constexpr std::string_view Separators = "/";
constexpr char Separator = '/';
constexpr bool DriveLetters = false;
#endif

bool IsSeparator(char Character) {
    return Separators.find(Character) != std::string_view::npos;
}

std::size_t NameStart(const std::string& Path) {
    const auto Last = Path.find_last_of(Separators);
    return Last == std::string::npos ? 0 : Last + 1;
}

int HexValue(char Digit) {
    if (Digit >= '0' && Digit <= '9') {
        return Digit - '0';
    }
    if (Digit >= 'a' && Digit <= 'f') {
        return Digit - 'a' + 10;
    }
    return Digit >= 'A' && Digit <= 'F' ? Digit - 'A' + 10 : -1;
}

}  // namespace

char PreferredSeparator() {
    return Separator;
}

std::string FileNameOf(const std::string& Path) {
    return Path.substr(NameStart(Path));
}

std::string FolderPartOf(const std::string& Path) {
    return Path.substr(0, NameStart(Path));
}

std::string FolderNameOf(const std::string& Path) {
    std::string Folder = FolderPartOf(Path);
    if (Folder.empty()) {
        return ".";
    }
    const bool Root =
        Folder.size() == 1 || (DriveLetters && Folder.size() == 3 && Folder[1] == ':');
    if (!Root && Folder.back() != ':') {
        Folder.pop_back();
    }
    return Folder;
}

std::string JoinPath(const std::string& Folder, const std::string& Name) {
    if (Folder.empty() || IsSeparator(Folder.back())) {
        return Folder + Name;
    }
    return Folder + Separator + Name;
}

bool IsFullPath(const std::string& Path) {
    if (!DriveLetters) {
        return !Path.empty() && Path.front() == '/';
    }
    const bool Drive = Path.size() >= 3 && Path[1] == ':' && (Path[2] == '\\' || Path[2] == '/');
    return Drive || Path.rfind("\\\\", 0) == 0 || Path.rfind("//", 0) == 0;
}

std::string LocalPathOfFileUrl(const std::string& Address) {
    std::string Rest;
    for (const std::string_view Prefix : {"file://localhost/", "file:///"}) {
        if (Address.rfind(Prefix, 0) == 0) {
            Rest = Address.substr(Prefix.size() - 1);
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
    // file:///C:/a.trk names C:/a.trk.
    if (DriveLetters && Path.size() > 2 && Path[0] == '/' && Path[2] == ':') {
        Path.erase(0, 1);
    }
    return Path;
}

std::filesystem::path FilesystemPathOf(const std::string& Path) {
    if (DriveLetters) {
        return std::filesystem::path(std::u8string(Path.begin(), Path.end()));
    }
    return std::filesystem::path(Path);
}

std::string FullPathOf(const std::string& Path) {
    std::error_code Error;
    if (Path.empty() || IsFullPath(Path)) {
        return Path;
    }
    const std::filesystem::path Full = std::filesystem::absolute(FilesystemPathOf(Path), Error);
    if (Error) {
        return Path;
    }
    if (DriveLetters) {
        const std::u8string Text = Full.u8string();
        return {Text.begin(), Text.end()};
    }
    return Full.string();
}

}  // namespace quellmark
