#include "windows_text/windows_text.h"

#include <windows.h>

namespace quellmark {

std::wstring WideText(const std::string& Text) {
    if (Text.empty()) {
        return {};
    }
    const int Size = static_cast<int>(Text.size());
    std::wstring Wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, Text.data(), Size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, Text.data(), Size, Wide.data(), static_cast<int>(Wide.size()));
    return Wide;
}

std::string Utf8Text(const std::wstring& Text) {
    if (Text.empty()) {
        return {};
    }
    const int Size = static_cast<int>(Text.size());
    std::string Narrow(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size,
                                                                    nullptr, 0, nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, Narrow.data(),
                        static_cast<int>(Narrow.size()), nullptr, nullptr);
    return Narrow;
}

std::string SystemMessage(unsigned long Error) {
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
