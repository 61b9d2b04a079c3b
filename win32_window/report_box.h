// The window's messages on Windows: a message box, and a box with a scrollable list below its
// text for the question before a list and the summary after it, never taller than the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quellmark {

// One OK button, no icon, the title "Quellmark" shown whole.
void ShowMessage(HWND Owner, const std::string& Text);

// Question with "Convert" and "Cancel", Cancel the default, Details listed below it; true for
// "Convert".
bool Confirm(HWND Owner, const std::string& Question, const std::vector<std::string>& Details);

// Headline with the counts, InSight (the first failures) below it with a warning sign where
// there are any, and every line of Details in a list below; one OK button.
void ShowSummary(HWND Owner, const std::string& Headline, const std::vector<std::string>& InSight,
                 const std::vector<std::string>& Details);

}  // namespace quellmark
