// The system's common Open and Save dialogs, as both "Browse" buttons use them.
#pragma once

#include <windows.h>

#include <string>

namespace quellmark {

// Shows the Open (Save false) or Save dialog on Last, the file chosen last, with the track
// filter; Save asks before it replaces a file. Returns the chosen path (UTF-8), or "" when the
// dialog was cancelled.
std::string ChooseTrackFile(HWND Owner, bool Save, const std::string& Last);

}  // namespace quellmark
