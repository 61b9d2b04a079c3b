// What a screen reader says of a control whose caption does not say enough, given through
// the system's annotation of accessible objects (MSAA's dynamic annotation): the names the Linux
// window gives the same controls.
#pragma once

#include <windows.h>

#include <string>

namespace quellmark {

// Control's name and description for screen readers; an empty text leaves that one as it was.
// Nothing happens where the system has no such annotation (Wine).
void AnnotateForScreenReaders(HWND Control, const std::string& Name,
                              const std::string& Description = {});

}  // namespace quellmark
