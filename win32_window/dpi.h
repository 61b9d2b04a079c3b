// Sizes and fonts at a monitor's DPI: the window is laid out in twips, 15 to a pixel at 96 dpi.
#pragma once

#include <windows.h>

namespace quellmark {

// Twips at Dpi, in pixels.
inline int FromTwips(int Twips, UINT Dpi) {
    return MulDiv(Twips, static_cast<int>(Dpi), 1440);
}

// The face the layout was drawn for, bold, at Points and Dpi, where the system has it; else
// the system's own message face.
HFONT CaptionFont(double Points, UINT Dpi);

// The system's message font at Dpi.
HFONT MessageFont(UINT Dpi);

}  // namespace quellmark
