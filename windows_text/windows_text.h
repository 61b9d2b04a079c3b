// Text at the Win32 boundary: the program keeps UTF-8 inside and hands UTF-16 to every call.
// Shared by the Windows file layer, quellmark-convert.exe and quellmark.exe.
#pragma once

#include <string>

namespace quellmark {

// UTF-8 to UTF-16 and back; bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(const std::string& Text);
std::string Utf8Text(const std::wstring& Text);

}  // namespace quellmark
