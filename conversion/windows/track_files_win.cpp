// The file layer on Windows: handles opened by the system's resolution of each path, an
// output written to a hidden file that deletes itself unless it is committed, and a rename by
// handle that puts it in place at once.
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "conversion/temporary_name.h"
#include "conversion/track_file_error.h"
#include "conversion/track_files.h"
#include "conversion/windows/long_path.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

const std::string CreateAction = "Can't create output track";
const std::string CreateInFolder = "Can't create a file in folder";

[[noreturn]] void ThrowSystemError(const std::string& Action, const std::string& Path,
                                   DWORD Error) {
    throw TrackFileError(FileErrorText(Action, Path, SystemMessage(Error)));
}

[[noreturn]] void ThrowText(const std::string& Action, const std::string& Path,
                            const std::string& Reason) {
    throw TrackFileError(FileErrorText(Action, Path, Reason));
}

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE Value) : Value_(Value) {}
    Handle(Handle&& Other) noexcept : Value_(std::exchange(Other.Value_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& Other) noexcept {
        if (this != &Other) {
            Close();
            Value_ = std::exchange(Other.Value_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }

    HANDLE Get() const { return Value_; }
    bool IsOpen() const { return Value_ != INVALID_HANDLE_VALUE && Value_ != nullptr; }
    void Close() {
        if (IsOpen()) {
            CloseHandle(Value_);
        }
        Value_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE Value_ = INVALID_HANDLE_VALUE;
};

// Which file a handle leads to: the volume and the file's id on it. The C library's st_ino is
// always 0 here, so nothing else will do.
struct FileIdentity {
    ULONGLONG Volume = 0;
    unsigned char Id[16] = {};
    bool operator==(const FileIdentity& Other) const {
        return Volume == Other.Volume && std::memcmp(Id, Other.Id, sizeof Id) == 0;
    }
};

// False when the file system gives no identity at all.
bool IdentityOf(HANDLE File, FileIdentity& Identity) {
    FILE_ID_INFO Info{};
    if (GetFileInformationByHandleEx(File, FileIdInfo, &Info, sizeof Info)) {
        Identity.Volume = Info.VolumeSerialNumber;
        std::memcpy(Identity.Id, &Info.FileId, sizeof Identity.Id);
        return true;
    }
    // Older file systems have only the 64-bit index.
    BY_HANDLE_FILE_INFORMATION Old{};
    if (!GetFileInformationByHandle(File, &Old)) {
        return false;
    }
    Identity.Volume = Old.dwVolumeSerialNumber;
    const ULONGLONG Index = (static_cast<ULONGLONG>(Old.nFileIndexHigh) << 32) | Old.nFileIndexLow;
    std::memcpy(Identity.Id, &Index, sizeof Index);
    return true;
}

// Refuses a folder, a device or a pipe with the words the Linux build uses.
void CheckRegularFile(HANDLE File, const std::string& Action, const std::string& Path) {
    if (GetFileType(File) != FILE_TYPE_DISK) {
        ThrowText(Action, Path, "Not a regular file");
    }
    FILE_BASIC_INFO Basic{};
    if (!GetFileInformationByHandleEx(File, FileBasicInfo, &Basic, sizeof Basic)) {
        ThrowSystemError(Action, Path, GetLastError());
    }
    if ((Basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ThrowText(Action, Path, "Is a directory");
    }
}

// The folder part of a path as given, for messages.
std::string FolderPartOf(const std::string& Path) {
    const auto Separator = Path.find_last_of("/\\");
    if (Separator == std::string::npos) {
        return Path.size() >= 2 && Path[1] == ':' ? Path.substr(0, 2) : ".";
    }
    return Separator == 0 ? Path.substr(0, 1) : Path.substr(0, Separator);
}

// A long path as a user would write it.
std::string ShownPath(const std::wstring& Long) {
    if (Long.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return "\\\\" + Utf8Text(Long.substr(8));
    }
    return Utf8Text(Long.rfind(L"\\\\?\\", 0) == 0 ? Long.substr(4) : Long);
}

class WindowsInputTrackFile final : public InputTrackFile {
  public:
    WindowsInputTrackFile(Handle File, std::string Path, std::uint64_t Size, FileIdentity Identity)
        : File_(std::move(File)), Path_(std::move(Path)), Size_(Size), Identity_(Identity) {}

    std::uint64_t Size() const override { return Size_; }

    ReadFunction Reader() override {
        return [this](char* Buffer, std::size_t Size) -> std::size_t {
            DWORD Read = 0;
            const auto Asked = static_cast<DWORD>(std::min<std::size_t>(Size, 1u << 30));
            // Binary reads: no line-end translation, and 0x1A ends nothing.
            if (!ReadFile(File_.Get(), Buffer, Asked, &Read, nullptr)) {
                const DWORD Error = GetLastError();
                if (Error == ERROR_HANDLE_EOF || Error == ERROR_BROKEN_PIPE) {
                    return 0;
                }
                ThrowSystemError("Can't read input track", Path_, Error);
            }
            return Read;
        };
    }

    const FileIdentity& Identity() const { return Identity_; }

  private:
    Handle File_;
    std::string Path_;
    std::uint64_t Size_;
    FileIdentity Identity_;
};

class WindowsOutputTrackFile final : public OutputTrackFile {
  public:
    WindowsOutputTrackFile(const RunSettings& Settings, Handle Existing, std::wstring Final,
                           std::string FolderText, std::uint64_t ExpectedSize)
        : Path_(Settings.OutputPath),
          MayReplace_(Settings.IfOutputExists == ExistingOutput::Replace),
          Existing_(std::move(Existing)),
          Final_(std::move(Final)),
          FolderText_(std::move(FolderText)) {
        Folder_ = Final_.substr(0, Final_.find_last_of(L'\\'));
        CheckRoom(ExpectedSize);
        CreateTemporary();
    }

    ~WindowsOutputTrackFile() override {
        // Still marked for deletion unless committed: closing the handle removes the file.
        if (!Committed_ && Temporary_.IsOpen()) {
            MarkForDeletion(true);
        }
    }

    // Windows has no gathered write for ordinary files, and a call per piece costs more than
    // copying: small pieces are gathered into one block first, and a large one goes alone.
    WriteFunction Writer() override {
        return [this](const WritePiece* Pieces, int Count) -> std::size_t {
            if (Pieces[0].Size >= Gathered_.size() / 4) {
                return WriteBlock(Pieces[0].Data, Pieces[0].Size);
            }
            std::size_t Used = 0;
            for (int At = 0; At < Count && Used < Gathered_.size(); ++At) {
                const auto Taken = std::min(Pieces[At].Size, Gathered_.size() - Used);
                std::memcpy(Gathered_.data() + Used, Pieces[At].Data, Taken);
                Used += Taken;
            }
            return WriteBlock(Gathered_.data(), Used);
        };
    }

    void Commit() override {
        if (Existing_.IsOpen()) {
            KeepAttributes();
        } else {
            SetAttributes(FILE_ATTRIBUTE_NORMAL);
        }
        if (!MarkForDeletion(false)) {
            ThrowSystemError("Can't write output track", Path_, GetLastError());
        }
        // Data that never reached the disk must not be reported as written.
        if (!FlushFileBuffers(Temporary_.Get())) {
            const DWORD Error = GetLastError();
            MarkForDeletion(true);
            ThrowSystemError("Can't write output track", Path_, Error);
        }
        MoveIntoPlace();
        Committed_ = true;
        Temporary_.Close();
    }

  private:
    std::size_t WriteBlock(const char* Data, std::size_t Size) {
        const auto Asked = static_cast<DWORD>(std::min<std::size_t>(Size, 1u << 30));
        DWORD Written = 0;
        if (!WriteFile(Temporary_.Get(), Data, Asked, &Written, nullptr)) {
            ThrowSystemError("Can't write output track", Path_, GetLastError());
        }
        return Written;
    }

    [[noreturn]] void ThrowFolderError(const std::string& Action, DWORD Error) const {
        ThrowSystemError(Action + " '" + FolderText_ + "' for output track", Path_, Error);
    }

    // A track that cannot fit fails before it has filled the disk.
    void CheckRoom(std::uint64_t ExpectedSize) const {
        ULARGE_INTEGER Available{};
        if (GetDiskFreeSpaceExW((Folder_ + L"\\").c_str(), &Available, nullptr, nullptr) &&
            Available.QuadPart < ExpectedSize) {
            ThrowFolderError(CreateInFolder, ERROR_DISK_FULL);
        }
    }

    // Hidden, shared with no one while it is written, and deleted when its handle closes,
    // even when the process is killed.
    void CreateTemporary() {
        for (int Attempt = 0;; ++Attempt) {
            const std::wstring Name = Folder_ + L"\\" + WideText(MakeTemporaryName());
            Temporary_ = Handle(CreateFileW(
                Name.c_str(),
                GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL | FILE_WRITE_ATTRIBUTES, 0,
                nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (Temporary_.IsOpen()) {
                break;
            }
            const DWORD Error = GetLastError();
            if ((Error != ERROR_FILE_EXISTS && Error != ERROR_ALREADY_EXISTS) || Attempt == 100) {
                ThrowFolderError(CreateInFolder, Error);
            }
        }
        if (!MarkForDeletion(true)) {
            const DWORD Error = GetLastError();
            ThrowFolderError(CreateInFolder, Error);
        }
    }

    bool MarkForDeletion(bool Delete) {
        FILE_DISPOSITION_INFO Disposition{};
        Disposition.DeleteFile = Delete ? TRUE : FALSE;
        return SetFileInformationByHandle(Temporary_.Get(), FileDispositionInfo, &Disposition,
                                          sizeof Disposition) != 0;
    }

    void SetAttributes(DWORD Attributes) {
        FILE_BASIC_INFO Basic{};  // times left at 0: unchanged
        Basic.FileAttributes = Attributes == 0 ? FILE_ATTRIBUTE_NORMAL : Attributes;
        if (!SetFileInformationByHandle(Temporary_.Get(), FileBasicInfo, &Basic, sizeof Basic)) {
            ThrowSystemError("Can't keep the permissions of output track", Path_, GetLastError());
        }
    }

    // The replaced file's access list and its visible attributes.
    void KeepAttributes() {
        PACL Access = nullptr;
        PSECURITY_DESCRIPTOR Descriptor = nullptr;
        if (GetSecurityInfo(Existing_.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &Access, nullptr, &Descriptor) == ERROR_SUCCESS) {
            SECURITY_DESCRIPTOR_CONTROL Control = 0;
            DWORD Revision = 0;
            GetSecurityDescriptorControl(Descriptor, &Control, &Revision);
            const SECURITY_INFORMATION Inheritance = (Control & SE_DACL_PROTECTED) != 0
                                                         ? PROTECTED_DACL_SECURITY_INFORMATION
                                                         : UNPROTECTED_DACL_SECURITY_INFORMATION;
            const DWORD Error = SetSecurityInfo(Temporary_.Get(), SE_FILE_OBJECT,
                                                DACL_SECURITY_INFORMATION | Inheritance, nullptr,
                                                nullptr, Access, nullptr);
            LocalFree(Descriptor);
            if (Error != ERROR_SUCCESS) {
                ThrowSystemError("Can't keep the permissions of output track", Path_, Error);
            }
        }
        FILE_BASIC_INFO Basic{};
        if (!GetFileInformationByHandleEx(Existing_.Get(), FileBasicInfo, &Basic, sizeof Basic)) {
            ThrowSystemError("Can't keep the permissions of output track", Path_, GetLastError());
        }
        SetAttributes(Basic.FileAttributes &
                      (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }

    // Renames the written file by its handle. POSIX semantics replace a file that others hold
    // open; where the system lacks them (before Windows 10 1709, Wine) the plain rename is
    // used, which needs the earlier file closed, so ours is closed first.
    void MoveIntoPlace() {
        constexpr auto RenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
        constexpr DWORD ReplaceIfExists = 0x1, PosixSemantics = 0x2;
        const std::size_t NameBytes = Final_.size() * sizeof(wchar_t);
        std::vector<std::byte> Buffer(sizeof(FILE_RENAME_INFO) + NameBytes);
        auto* Info = reinterpret_cast<FILE_RENAME_INFO*>(Buffer.data());
        Info->Flags = PosixSemantics | (MayReplace_ ? ReplaceIfExists : 0);
        Info->RootDirectory = nullptr;
        Info->FileNameLength = static_cast<DWORD>(NameBytes);
        std::memcpy(Info->FileName, Final_.data(), NameBytes);
        const auto Size = static_cast<DWORD>(Buffer.size());
        if (SetFileInformationByHandle(Temporary_.Get(), RenameInfoEx, Info, Size)) {
            return;
        }
        DWORD Error = GetLastError();
        if (Error == ERROR_INVALID_PARAMETER || Error == ERROR_NOT_SUPPORTED ||
            Error == ERROR_INVALID_FUNCTION) {
            Existing_.Close();
            Info->ReplaceIfExists = MayReplace_ ? TRUE : FALSE;
            // A virus scanner or the search indexer may hold the earlier file for a moment.
            for (int Attempt = 0; Attempt < 10; ++Attempt) {
                if (SetFileInformationByHandle(Temporary_.Get(), FileRenameInfo, Info, Size)) {
                    return;
                }
                Error = GetLastError();
                if (Error != ERROR_SHARING_VIOLATION && Error != ERROR_ACCESS_DENIED) {
                    break;
                }
                Sleep(50);
            }
        }
        MarkForDeletion(true);
        if (!MayReplace_ && (Error == ERROR_ALREADY_EXISTS || Error == ERROR_FILE_EXISTS)) {
            ThrowText(CreateAction, Path_, "File exists");
        }
        ThrowFolderError("Can't replace a file in folder", Error);
    }

    std::string Path_;
    bool MayReplace_;
    Handle Existing_;
    std::wstring Final_;   // the long path of the final name
    std::wstring Folder_;  // its folder
    std::string FolderText_;
    Handle Temporary_;
    bool Committed_ = false;
    std::vector<char> Gathered_ = std::vector<char>(1 << 20);
};

}  // namespace

std::unique_ptr<InputTrackFile> OpenInputTrackFile(const std::string& Path) {
    const std::string Action = "Can't open input track";
    const std::wstring Name = LongPath(Path);
    if (Path.empty() || Name.empty()) {
        ThrowSystemError(Action, Path, ERROR_FILE_NOT_FOUND);
    }
    // Other readers may come in; folders open too, so that they are named as such.
    Handle File(CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!File.IsOpen()) {
        ThrowSystemError(Action, Path, GetLastError());
    }
    CheckRegularFile(File.Get(), Action, Path);
    LARGE_INTEGER Size{};
    FileIdentity Identity;
    if (!GetFileSizeEx(File.Get(), &Size) || !IdentityOf(File.Get(), Identity)) {
        ThrowSystemError(Action, Path, GetLastError());
    }
    return std::make_unique<WindowsInputTrackFile>(
        std::move(File), Path, static_cast<std::uint64_t>(Size.QuadPart), Identity);
}

std::unique_ptr<OutputTrackFile> CreateOutputTrackFile(const RunSettings& Settings,
                                                       const InputTrackFile& Input) {
    const std::string& Path = Settings.OutputPath;
    const std::wstring Name = LongPath(Path);
    if (Path.empty() || Name.empty()) {
        ThrowSystemError(CreateAction, Path, ERROR_PATH_NOT_FOUND);
    }
    // Opened as the system resolves the path, links followed: the file that would be replaced.
    Handle Existing(CreateFileW(Name.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring Final = Name;
    std::string FolderText = FolderPartOf(Path);
    if (Existing.IsOpen()) {
        FileIdentity Identity;
        if (IdentityOf(Existing.Get(), Identity) &&
            Identity == static_cast<const WindowsInputTrackFile&>(Input).Identity()) {
            return nullptr;
        }
        CheckRegularFile(Existing.Get(), CreateAction, Path);
        if (Settings.IfOutputExists == ExistingOutput::Keep) {
            ThrowText(CreateAction, Path, "File exists");
        }
        FILE_BASIC_INFO Basic{};
        if (GetFileInformationByHandleEx(Existing.Get(), FileBasicInfo, &Basic, sizeof Basic) &&
            (Basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            ThrowSystemError(CreateAction, Path, ERROR_ACCESS_DENIED);
        }
        // The name the system resolved, past any link, so that a link as the output stays a
        // link. Wine 8 cannot give it for names past MAX_PATH; the path as given is the same
        // file there, since Wine makes no links.
        std::wstring Resolved(32768, L'\0');
        const DWORD Length = GetFinalPathNameByHandleW(Existing.Get(), Resolved.data(),
                                                       static_cast<DWORD>(Resolved.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (Length != 0 && Length < Resolved.size()) {
            Resolved.resize(Length);
            Final = Resolved;
            FolderText = ShownPath(Final.substr(0, Final.find_last_of(L'\\')));
        }
    } else {
        const DWORD Error = GetLastError();
        if (Error != ERROR_FILE_NOT_FOUND && Error != ERROR_PATH_NOT_FOUND) {
            ThrowSystemError(CreateAction, Path, Error);
        }
        if (Path.back() == '/' || Path.back() == '\\') {
            ThrowText(CreateAction, Path, "Is a directory");
        }
        const Handle Link(CreateFileW(
            Name.c_str(), FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (Link.IsOpen()) {
            ThrowText(CreateAction, Path, "Symbolic link to a file that does not exist");
        }
        const std::wstring Folder = Name.substr(0, Name.find_last_of(L'\\'));
        const DWORD Attributes = GetFileAttributesW(Folder.c_str());
        if (Attributes == INVALID_FILE_ATTRIBUTES || (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const DWORD FolderError =
                Attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY;
            ThrowSystemError("Can't open folder '" + FolderText + "' of output track", Path,
                             FolderError);
        }
    }
    return std::make_unique<WindowsOutputTrackFile>(Settings, std::move(Existing), Final,
                                                    FolderText, Input.Size());
}

}  // namespace quellmark
