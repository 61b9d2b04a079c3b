#include "conversion/files/windows/long_path.h"

#include <windows.h>

#include "windows_text/windows_text.h"

namespace quellmark {

std::wstring LongPath(const std::string& Path) {
    const std::wstring Wide = WideText(Path);
    if (Wide.rfind(L"\\\\?\\", 0) == 0) {
        return Wide;
    }
    // GetFullPathNameW resolves "." and "..", the working folder and drive-relative names, and
    // turns slashes into backslashes; the prefix then lifts the MAX_PATH limit.
    const DWORD Needed = GetFullPathNameW(Wide.c_str(), 0, nullptr, nullptr);
    if (Needed == 0) {
        return {};
    }
    std::wstring Full(Needed, L'\0');
    const DWORD Length = GetFullPathNameW(Wide.c_str(), Needed, Full.data(), nullptr);
    if (Length == 0 || Length >= Needed) {
        return {};
    }
    Full.resize(Length);
    // Devices (\\.\NUL, \\.\pipe\…) keep the name they have.
    if (Full.rfind(L"\\\\.\\", 0) == 0) {
        return Full;
    }
    if (Full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + Full.substr(2);
    }
    return L"\\\\?\\" + Full;
}

std::wstring LongFolderOf(const std::wstring& Long) {
    const auto Separator = Long.find_last_of(L'\\');
    std::wstring Folder = Long.substr(0, Separator == std::wstring::npos ? 0 : Separator);
    const bool DriveRoot =
        Folder.size() == 6 && Folder.rfind(L"\\\\?\\", 0) == 0 && Folder[5] == L':';
    // \\?\UNC\server\share: the share's root, with no separator after the share's name.
    const bool ShareRoot = Folder.rfind(L"\\\\?\\UNC\\", 0) == 0 &&
                           Folder.find(L'\\', 8) != std::wstring::npos &&
                           Folder.find(L'\\', Folder.find(L'\\', 8) + 1) == std::wstring::npos;
    return DriveRoot || ShareRoot ? Folder + L"\\" : Folder;
}

std::wstring JoinedLongPath(const std::wstring& Folder, const std::wstring& Name) {
    return !Folder.empty() && Folder.back() == L'\\' ? Folder + Name : Folder + L"\\" + Name;
}

}  // namespace quellmark
