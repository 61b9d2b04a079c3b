#include "conversion/windows/long_path.h"

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

}  // namespace quellmark
