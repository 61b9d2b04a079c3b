// Paths as the Win32 file calls take them at any length.
#pragma once

#include <string>

namespace quellmark {

// Path as the system takes it at any length: absolute, with backslashes, behind \\?\ (or
// \\?\UNC\ for a share). Empty when the system cannot make it absolute.
std::wstring LongPath(const std::string& Path);

}  // namespace quellmark
