#include <windows.h>

#include "conversion/files/system_error_text.h"
#include "windows_text/windows_text.h"

namespace quellmark {

Reason SystemReason(long Code) {
    switch (static_cast<DWORD>(Code)) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {Cause::NotFound, Code, {}};
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return {Cause::Exists, Code, {}};
        case ERROR_DIRECTORY:
            return {Cause::NotFolder, Code, {}};
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return {Cause::AccessDenied, Code, {}};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return {Cause::NoSpace, Code, {}};
        case ERROR_FILE_TOO_LARGE:
            return {Cause::TooLarge, Code, {}};
        case ERROR_FILENAME_EXCED_RANGE:
            return {Cause::NameTooLong, Code, {}};
        case ERROR_CANT_RESOLVE_FILENAME:
            return {Cause::TooManyLinks, Code, {}};
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return {Cause::OutOfMemory, Code, {}};
        // Another program holds the file open in a way that excludes ours.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return {Cause::InUse, Code, {}};
        default:
            return {Cause::Other, Code, {}};
    }
}

std::string SystemErrorText(long Code) {
    const auto Error = static_cast<DWORD>(Code);
    wchar_t* Buffer = nullptr;
    const DWORD Length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, Error, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
    if (Length == 0 || Buffer == nullptr) {
        return "System error " + std::to_string(Error);
    }
    std::wstring Text(Buffer, Length);
    LocalFree(Buffer);
    while (!Text.empty() && (Text.back() == L'\n' || Text.back() == L'\r' || Text.back() == L' ' ||
                             Text.back() == L'.')) {
        Text.pop_back();
    }
    return Utf8Text(Text);
}

}  // namespace quellmark
