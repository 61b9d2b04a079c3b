#include "win32_window/file_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "windows_text/windows_text.h"

namespace quellmark {

std::string ChooseTrackFile(HWND Owner, bool Save, const std::string& Last) {
    std::vector<wchar_t> Name(32768, L'\0');
    const std::wstring Initial = WideText(Last);
    Initial.copy(Name.data(), Name.size() - 1);
    static const wchar_t Filter[] = L"Track Files (*.trk)\0*.trk\0All Files\0*.*\0";
    OPENFILENAMEW Dialog = {};
    Dialog.lStructSize = sizeof Dialog;
    Dialog.hwndOwner = Owner;
    Dialog.lpstrFilter = Filter;
    Dialog.nFilterIndex = 1;
    Dialog.lpstrFile = Name.data();
    Dialog.nMaxFile = static_cast<DWORD>(Name.size());
    // A name that does not exist yet is accepted by the Open dialog too, as the window was
    // first drawn; the run says what is wrong with it.
    Dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   (Save ? OFN_OVERWRITEPROMPT : 0);
    const BOOL Chosen = Save ? GetSaveFileNameW(&Dialog) : GetOpenFileNameW(&Dialog);
    return Chosen ? Utf8Text(Name.data()) : std::string();
}

}  // namespace quellmark
