// The keys of outputs on Windows: the full path as the system resolves it, folded, since NTFS,
// FAT and shares take names without regard to case; a file by its identity.
#include <windows.h>

#include <map>

#include "conversion/files/name_folding.h"
#include "conversion/files/output_keys.h"
#include "conversion/files/track_files.h"
#include "conversion/files/windows/long_path.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

// The final path of what Long names, links followed; empty when it cannot be opened.
std::wstring FinalPathOf(const std::wstring& Long) {
    const HANDLE File = CreateFileW(Long.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring Final(32768, L'\0');
    const DWORD Length =
        GetFinalPathNameByHandleW(File, Final.data(), static_cast<DWORD>(Final.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(File);
    Final.resize(Length != 0 && Length < Final.size() ? Length : 0);
    return Final;
}

}  // namespace

class OutputKeys::Folders {
  public:
    const std::wstring& Of(const std::wstring& Folder) {
        const auto Known = Final_.find(Folder);
        if (Known != Final_.end()) {
            return Known->second;
        }
        const std::wstring Final = FinalPathOf(Folder);
        return Final_.emplace(Folder, Final.empty() ? Folder : Final).first->second;
    }

  private:
    std::map<std::wstring, std::wstring> Final_;
};

OutputKeys::OutputKeys() : Folders_(std::make_unique<Folders>()) {}
OutputKeys::~OutputKeys() = default;

std::vector<std::string> OutputKeys::Of(const std::string& Path) {
    const std::wstring Long = LongPath(Path);
    std::wstring Final = Long.empty() ? Long : FinalPathOf(Long);
    if (Final.empty() && !Long.empty()) {
        const std::wstring Folder = LongFolderOf(Long);
        Final = JoinedLongPath(Folders_->Of(Folder),
                               Long.substr(Folder.size() + (Folder.back() != L'\\')));
    }
    std::vector<std::string> Keys{"path " +
                                  CaselessKeyBytes(Final.empty() ? Path : Utf8Text(Final))};
    if (const std::string File = OfFile(Path); !File.empty()) {
        Keys.push_back(File);
    }
    return Keys;
}

std::string OutputKeys::OfFile(const std::string& Path, std::optional<FileIdentity>* Found) {
    const auto Identity = IdentityOf(Path);
    if (Found != nullptr) {
        *Found = Identity;
    }
    if (!Identity) {
        return {};
    }
    return "file " + std::to_string(Identity->Volume) + ":" + std::to_string(Identity->Id[0]) +
           ":" + std::to_string(Identity->Id[1]);
}

}  // namespace quellmark
