#include <windows.h>

#include "conversion/system_error_text.h"
#include "windows_text/windows_text.h"

namespace quellmark {

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
