#include "windows_text/windows_text.h"

#include <windows.h>

#include <cstdio>

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

std::optional<std::string> ValidUtf8Text(const std::wstring& Text) {
    if (Text.empty()) {
        return std::string();
    }
    const int Size = static_cast<int>(Text.size());
    const int Needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, Text.data(), Size,
                                           nullptr, 0, nullptr, nullptr);
    if (Needed == 0) {
        return std::nullopt;
    }
    return Utf8Text(Text);
}

std::string ShownUtf8Text(const std::wstring& Text) {
    std::string Shown;
    for (std::size_t At = 0; At < Text.size(); ++At) {
        const wchar_t Unit = Text[At];
        const bool High = Unit >= 0xD800 && Unit <= 0xDBFF;
        const bool Low = Unit >= 0xDC00 && Unit <= 0xDFFF;
        const bool Paired =
            High && At + 1 < Text.size() && Text[At + 1] >= 0xDC00 && Text[At + 1] <= 0xDFFF;
        if (Paired) {
            Shown += Utf8Text(Text.substr(At, 2));
            ++At;
        } else if (High || Low) {
            char Escape[8];
            std::snprintf(Escape, sizeof Escape, "\\u%04X", static_cast<unsigned>(Unit));
            Shown += Escape;
        } else {
            Shown += Utf8Text(std::wstring(1, Unit));
        }
    }
    return Shown;
}

}  // namespace quellmark
