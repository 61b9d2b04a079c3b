// Text at the Win32 boundary: the program keeps UTF-8 inside and hands UTF-16 to every call.
// Shared by the Windows file layer, quellmark-convert.exe and quellmark.exe.
#pragma once

#include <optional>
#include <string>

namespace quellmark {

// UTF-8 to UTF-16 and back; bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(const std::string& Text);
std::string Utf8Text(const std::wstring& Text);

// Text as UTF-8 when it is valid UTF-16; none when it holds half of a surrogate pair, which no
// UTF-8 name can carry, and which Utf8Text would turn into U+FFFD: another name.
std::optional<std::string> ValidUtf8Text(const std::wstring& Text);

// Text for a message: each half of a surrogate pair that stands alone written as \uD800.
std::string ShownUtf8Text(const std::wstring& Text);

}  // namespace quellmark
