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

}  // namespace quellmark
