// The system's common dialogs, as the "Browse" buttons use them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quellmark {

// The Open dialog on Last, the file chosen last, with the track filter; one track or several
// (UTF-8 paths), none when cancelled.
std::vector<std::string> ChooseTrackFiles(HWND Owner, const std::string& Last);

// The Save dialog on Last, which asks before it names a file that exists; "" when cancelled.
std::string ChooseOutputFile(HWND Owner, const std::string& Last);

// A folder for a list's outputs; "" when cancelled.
std::string ChooseFolder(HWND Owner, const std::string& Last);

}  // namespace quellmark
