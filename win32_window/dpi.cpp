#include "win32_window/dpi.h"

#include <cmath>
#include <cwchar>

namespace quellmark {
namespace {

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM Found) {
    *reinterpret_cast<bool*>(Found) = true;
    return 0;
}

bool HasFace(const wchar_t* Face) {
    LOGFONTW Wanted{};
    Wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(Wanted.lfFaceName, Face, LF_FACESIZE - 1);
    bool Found = false;
    const HDC Screen = GetDC(nullptr);
    EnumFontFamiliesExW(Screen, &Wanted, NoteFound, reinterpret_cast<LPARAM>(&Found), 0);
    ReleaseDC(nullptr, Screen);
    return Found;
}

LOGFONTW SystemMessageFont(UINT Dpi) {
    NONCLIENTMETRICSW Metrics{};
    Metrics.cbSize = sizeof Metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof Metrics, &Metrics, 0, Dpi);
    return Metrics.lfMessageFont;
}

}  // namespace

HFONT CaptionFont(double Points, UINT Dpi) {
    LOGFONTW Font = SystemMessageFont(Dpi);
    if (HasFace(L"MS Sans Serif")) {
        wcsncpy(Font.lfFaceName, L"MS Sans Serif", LF_FACESIZE - 1);
    }
    Font.lfHeight = -static_cast<LONG>(std::lround(Points * Dpi / 72.0));
    Font.lfWidth = 0;
    Font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&Font);
}

HFONT MessageFont(UINT Dpi) {
    const LOGFONTW Font = SystemMessageFont(Dpi);
    return CreateFontIndirectW(&Font);
}

}  // namespace quellmark
