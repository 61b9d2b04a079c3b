#include "win32_window/dpi.h"

#include <cmath>
#include <cwchar>
#include <initializer_list>

namespace quellmark {
namespace {

// Whether the system really draws Font bold: a face without a bold cut asked for bold gives its
// regular one, and a bitmap face (as Wine's MS Sans Serif is) says bold but draws as it is.
bool DrawnBold(HFONT Font) {
    const HDC Screen = GetDC(nullptr);
    const HGDIOBJ Old = SelectObject(Screen, Font);
    TEXTMETRICW Metrics{};
    GetTextMetricsW(Screen, &Metrics);
    SelectObject(Screen, Old);
    ReleaseDC(nullptr, Screen);
    const bool Outline = (Metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR)) != 0;
    return Outline && Metrics.tmWeight >= FW_SEMIBOLD;
}

LOGFONTW SystemMessageFont(UINT Dpi) {
    NONCLIENTMETRICSW Metrics{};
    Metrics.cbSize = sizeof Metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof Metrics, &Metrics, 0, Dpi);
    return Metrics.lfMessageFont;
}

}  // namespace

// The face the layout was drawn for where it has a bold cut, else the first of the faces of its
// width that has one (a missing face gives a stand-in, which may be bold), else the system's
// message face.
HFONT CaptionFont(double Points, UINT Dpi) {
    LOGFONTW Font = SystemMessageFont(Dpi);
    Font.lfHeight = -static_cast<LONG>(std::lround(Points * Dpi / 72.0));
    Font.lfWidth = 0;
    Font.lfWeight = FW_BOLD;
    for (const wchar_t* Face : {L"MS Sans Serif", L"Tahoma", L"Arial", L"Liberation Sans"}) {
        LOGFONTW Candidate = Font;
        wcsncpy(Candidate.lfFaceName, Face, LF_FACESIZE - 1);
        const HFONT Made = CreateFontIndirectW(&Candidate);
        if (DrawnBold(Made)) {
            return Made;
        }
        DeleteObject(Made);
    }
    return CreateFontIndirectW(&Font);
}

HFONT MessageFont(UINT Dpi) {
    const LOGFONTW Font = SystemMessageFont(Dpi);
    return CreateFontIndirectW(&Font);
}

}  // namespace quellmark
