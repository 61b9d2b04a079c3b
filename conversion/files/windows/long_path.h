// Paths as the Win32 file calls take them at any length.
#pragma once

#include <string>

namespace quellmark {

// Path as the system takes it at any length: absolute, with backslashes, behind \\?\ (or
// \\?\UNC\ for a share). Empty when the system cannot make it absolute.
std::wstring LongPath(const std::string& Path);

// The folder of a long path: a drive's or a share's root with its closing backslash (\\?\C:\,
// since \\?\C: is the volume itself), any other folder without one.
std::wstring LongFolderOf(const std::wstring& Long);

// Folder and Name joined by one backslash; an empty Name gives the folder with its closing
// backslash.
std::wstring JoinedLongPath(const std::wstring& Folder, const std::wstring& Name);

}  // namespace quellmark
