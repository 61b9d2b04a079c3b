#include "win32_window/file_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include "conversion/files/path_syntax.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

// Shows the Open or Save dialog; the buffer as the dialog filled it, empty when cancelled.
std::vector<wchar_t> ShowFileDialog(HWND Owner, bool Save, const std::string& Last) {
    std::vector<wchar_t> Names(65536, L'\0');
    const std::wstring Initial = WideText(Last);
    Initial.copy(Names.data(), Names.size() - 1);
    static const wchar_t Filter[] = L"Track Files (*.trk)\0*.trk\0All Files\0*.*\0";
    OPENFILENAMEW Dialog = {};
    Dialog.lStructSize = sizeof Dialog;
    Dialog.hwndOwner = Owner;
    Dialog.lpstrFilter = Filter;
    Dialog.nFilterIndex = 1;
    Dialog.lpstrFile = Names.data();
    Dialog.nMaxFile = static_cast<DWORD>(Names.size());
    Dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   (Save ? OFN_OVERWRITEPROMPT : OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST);
    const BOOL Chosen = Save ? GetSaveFileNameW(&Dialog) : GetOpenFileNameW(&Dialog);
    return Chosen ? Names : std::vector<wchar_t>();
}

}  // namespace

std::vector<std::string> ChooseTrackFiles(HWND Owner, const std::string& Last) {
    const std::vector<wchar_t> Names = ShowFileDialog(Owner, false, Last);
    // One file: its full path. Several: the folder, then each name, each ended by a NUL.
    std::vector<std::wstring> Parts;
    for (std::size_t At = 0; At < Names.size() && Names[At] != L'\0';) {
        Parts.emplace_back(Names.data() + At);
        At += Parts.back().size() + 1;
    }
    std::vector<std::string> Chosen;
    for (std::size_t At = Parts.size() == 1 ? 0 : 1; At < Parts.size(); ++At) {
        Chosen.push_back(Parts.size() == 1 ? Utf8Text(Parts[0])
                                           : JoinPath(Utf8Text(Parts[0]), Utf8Text(Parts[At])));
    }
    return Chosen;
}

std::string ChooseOutputFile(HWND Owner, const std::string& Last) {
    const std::vector<wchar_t> Names = ShowFileDialog(Owner, true, Last);
    return Names.empty() ? std::string() : Utf8Text(Names.data());
}

std::string ChooseFolder(HWND Owner, const std::string&) {
    BROWSEINFOW Browse = {};
    Browse.hwndOwner = Owner;
    Browse.lpszTitle = L"The folder for the outputs of the tracks";
    Browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE Chosen = SHBrowseForFolderW(&Browse);
    if (Chosen == nullptr) {
        return {};
    }
    std::wstring Folder(32768, L'\0');
    const bool Named = SHGetPathFromIDListEx(Chosen, Folder.data(),
                                             static_cast<DWORD>(Folder.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(Chosen);
    return Named ? Utf8Text(Folder.c_str()) : std::string();
}

}  // namespace quellmark
