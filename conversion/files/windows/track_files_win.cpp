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

#include "conversion/files/path_syntax.h"
#include "conversion/files/save_sequence.h"
#include "conversion/files/system_error_text.h"
#include "conversion/files/temporary_name.h"
#include "conversion/files/track_files.h"
#include "conversion/files/windows/long_path.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

// Another program holds the file open in a way that excludes ours.
bool IsInUse(DWORD Error) {
    return SystemReason(Error).Is == Cause::InUse;
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
// always 0 here, so nothing else will do. False when the file system gives no identity at all.
bool IdentityOf(HANDLE File, FileIdentity& Identity) {
    FILE_ID_INFO Info{};
    if (GetFileInformationByHandleEx(File, FileIdInfo, &Info, sizeof Info)) {
        Identity.Volume = Info.VolumeSerialNumber;
        static_assert(sizeof Identity.Id == sizeof Info.FileId);
        std::memcpy(Identity.Id, &Info.FileId, sizeof Identity.Id);
        return true;
    }
    // Older file systems have only the 64-bit index.
    BY_HANDLE_FILE_INFORMATION Old{};
    if (!GetFileInformationByHandle(File, &Old)) {
        return false;
    }
    Identity.Volume = Old.dwVolumeSerialNumber;
    Identity.Id[0] = (static_cast<ULONGLONG>(Old.nFileIndexHigh) << 32) | Old.nFileIndexLow;
    return true;
}

// The identity of a standard stream that is a file on disk; none for a pipe or a console.
std::optional<FileIdentity> DiskFileAt(HANDLE Stream) {
    FileIdentity Identity;
    if (Stream == nullptr || Stream == INVALID_HANDLE_VALUE ||
        GetFileType(Stream) != FILE_TYPE_DISK || !IdentityOf(Stream, Identity)) {
        return std::nullopt;
    }
    return Identity;
}

// Whether a standard stream is File. Wine gives a stream that a Linux shell opened no volume
// serial, only the file's id; the id alone then decides, which can err only towards a refusal.
bool IsStreamOf(const std::optional<FileIdentity>& Stream, const FileIdentity& File) {
    return Stream && (*Stream == File || ((Stream->Volume == 0 || File.Volume == 0) &&
                                          std::equal(std::begin(Stream->Id), std::end(Stream->Id),
                                                     std::begin(File.Id))));
}

// Whether a part of Long is longer than a name may be on any Windows file system (255 UTF-16
// units): the system then says only that it finds no such file.
bool HasTooLongPart(const std::wstring& Long) {
    std::size_t Part = 0;
    for (const wchar_t Unit : Long) {
        Part = Unit == L'\\' ? 0 : Part + 1;
        if (Part > 255) {
            return true;
        }
    }
    return false;
}

// Refuses a folder, a device or a pipe with the words the Linux build uses.
void CheckRegularFile(HANDLE File, FailedStep Step, const std::string& Path) {
    if (GetFileType(File) != FILE_TYPE_DISK) {
        ThrowFailure(Step, Path, Reason::Because(Cause::NotRegularFile));
    }
    FILE_BASIC_INFO Basic{};
    if (!GetFileInformationByHandleEx(File, FileBasicInfo, &Basic, sizeof Basic)) {
        ThrowSystemError(Step, Path, GetLastError());
    }
    if ((Basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ThrowFailure(Step, Path, Reason::Because(Cause::IsFolder));
    }
}

ReadFunction HandleReader(HANDLE File, const std::string& Path) {
    return [File, &Path](char* Buffer, std::size_t Size) -> std::size_t {
        DWORD Read = 0;
        const auto Asked = static_cast<DWORD>(std::min<std::size_t>(Size, 1u << 30));
        // Binary reads: no line-end translation, and 0x1A ends nothing.
        if (!ReadFile(File, Buffer, Asked, &Read, nullptr)) {
            const DWORD Error = GetLastError();
            if (Error == ERROR_HANDLE_EOF || Error == ERROR_BROKEN_PIPE) {
                return 0;
            }
            ThrowSystemError(FailedStep::ReadInput, Path, Error);
        }
        return Read;
    };
}

std::size_t WriteBlock(HANDLE File, const std::string& Path, const char* Data, std::size_t Size) {
    const auto Asked = static_cast<DWORD>(std::min<std::size_t>(Size, 1u << 30));
    DWORD Written = 0;
    if (!WriteFile(File, Data, Asked, &Written, nullptr)) {
        ThrowSystemError(FailedStep::WriteOutput, Path, GetLastError());
    }
    return Written;
}

// Windows has no gathered write for ordinary files, and a call per piece costs more than
// copying: small pieces are gathered into one block first, and a large one goes alone.
WriteFunction GatheringWriter(HANDLE File, const std::string& Path, std::vector<char>& Gathered) {
    return [File, &Path, &Gathered](const WritePiece* Pieces, int Count) -> std::size_t {
        if (Pieces[0].Size >= Gathered.size() / 4) {
            return WriteBlock(File, Path, Pieces[0].Data, Pieces[0].Size);
        }
        std::size_t Used = 0;
        for (int At = 0; At < Count && Used < Gathered.size(); ++At) {
            const auto Taken = std::min(Pieces[At].Size, Gathered.size() - Used);
            std::memcpy(Gathered.data() + Used, Pieces[At].Data, Taken);
            Used += Taken;
        }
        return WriteBlock(File, Path, Gathered.data(), Used);
    };
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
    WindowsInputTrackFile(Handle File, std::string Path, std::uint64_t Size)
        : File_(std::move(File)), Path_(std::move(Path)), Size_(Size) {}
    std::uint64_t Size() const override { return Size_; }
    ReadFunction Reader() override { return HandleReader(File_.Get(), Path_); }

  private:
    Handle File_;
    std::string Path_;
    std::uint64_t Size_;
};

// Standard input, read as it comes, whatever mode the C library has set for it.
class StandardInputTrackFile final : public InputTrackFile {
  public:
    explicit StandardInputTrackFile(std::string Name)
        : Stream_(GetStdHandle(STD_INPUT_HANDLE)), Name_(std::move(Name)) {
        LARGE_INTEGER Size{};
        if (DiskFileAt(Stream_) && GetFileSizeEx(Stream_, &Size)) {
            Size_ = static_cast<std::uint64_t>(Size.QuadPart);
        }
    }
    std::uint64_t Size() const override { return Size_; }
    ReadFunction Reader() override { return HandleReader(Stream_, Name_); }

  private:
    HANDLE Stream_;
    std::string Name_;
    std::uint64_t Size_ = 0;
};

// Standard output, written as the track comes: nothing to put in place.
class StandardOutputTrackFile final : public OutputTrackFile {
  public:
    explicit StandardOutputTrackFile(std::string Name)
        : Stream_(GetStdHandle(STD_OUTPUT_HANDLE)), Name_(std::move(Name)) {}
    WriteFunction Writer() override { return GatheringWriter(Stream_, Name_, Gathered_); }
    CommitResult Commit(const CommitGate&, FolderFlushes*) override {
        return {true, std::nullopt, nullptr};
    }

  private:
    HANDLE Stream_;
    std::string Name_;
    std::vector<char> Gathered_ = std::vector<char>(1 << 16);
};

class WindowsOutputTrackFile final : public OutputTrackFile, private SaveSteps {
  public:
    WindowsOutputTrackFile(const RunSettings& Settings, Handle Existing, std::wstring Final,
                           std::string FolderText, std::uint64_t ExpectedSize)
        : Path_(Settings.OutputPath),
          MayReplace_(Settings.IfOutputExists == ExistingOutput::Replace),
          Existing_(std::move(Existing)),
          Final_(std::move(Final)),
          Folder_(LongFolderOf(Final_)),
          FolderText_(std::move(FolderText)) {
        CheckRoom(ExpectedSize);
        CreateTemporary();
    }

    ~WindowsOutputTrackFile() override {
        // Still marked for deletion unless committed: closing the handle removes the file.
        if (!Committed_ && Temporary_.IsOpen() && !MarkForDeletion(true)) {
            RemoveByName();
        }
    }

    WriteFunction Writer() override { return GatheringWriter(Temporary_.Get(), Path_, Gathered_); }

    CommitResult Commit(const CommitGate& GoOn, FolderFlushes* Later) override {
        return SaveInOrder(*this, GoOn, Later);
    }

  private:
    void KeepAttributes() override {
        if (Existing_.IsOpen()) {
            KeepExistingAttributes();
        } else {
            SetAttributes(FILE_ATTRIBUTE_NORMAL);
        }
    }

    // The flush, which takes most of a long track's commit, runs while the file would still
    // delete itself if the program were killed; the mark is cleared only for the rename.
    void FlushData() override {
        if (!FlushFileBuffers(Temporary_.Get())) {
            ThrowSystemError(FailedStep::WriteOutput, Path_, GetLastError());
        }
    }

    void TakeName() override {
        if (!MarkForDeletion(false)) {
            ThrowSystemError(FailedStep::WriteOutput, Path_, GetLastError());
        }
        MoveIntoPlace();
        Committed_ = true;
        Temporary_.Close();
    }

    // A rename on Windows is on disk with the file system's own journal.
    CommitResult FlushName(FolderFlushes*) override { return {true, std::nullopt, nullptr}; }

    [[noreturn]] void ThrowFolderError(FailedStep Step, DWORD Error) const {
        ThrowSystemError(Step, Path_, Error, FolderText_);
    }

    // A track that cannot fit fails before it has filled the disk.
    void CheckRoom(std::uint64_t ExpectedSize) const {
        ULARGE_INTEGER Available{};
        if (GetDiskFreeSpaceExW(JoinedLongPath(Folder_, L"").c_str(), &Available, nullptr,
                                nullptr) &&
            Available.QuadPart < ExpectedSize) {
            ThrowFolderError(FailedStep::CreateInFolder, ERROR_DISK_FULL);
        }
    }

    // Hidden, shared with no one while it is written, and deleted when its handle closes,
    // even when the process is killed.
    void CreateTemporary() {
        for (int Attempt = 0;; ++Attempt) {
            TemporaryName_ = JoinedLongPath(Folder_, WideText(MakeTemporaryName()));
            Temporary_ = Handle(CreateFileW(
                TemporaryName_.c_str(),
                GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL | FILE_WRITE_ATTRIBUTES, 0,
                nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (Temporary_.IsOpen()) {
                break;
            }
            const DWORD Error = GetLastError();
            if ((Error != ERROR_FILE_EXISTS && Error != ERROR_ALREADY_EXISTS) || Attempt == 100) {
                ThrowFolderError(FailedStep::CreateInFolder, Error);
            }
        }
        if (!MarkForDeletion(true)) {
            const DWORD Error = GetLastError();
            RemoveByName();
            ThrowFolderError(FailedStep::CreateInFolder, Error);
        }
    }

    // Where the file can no longer be marked to go with its handle, it is closed and removed
    // by its name, so that no hidden file is left.
    void RemoveByName() {
        Temporary_.Close();
        DeleteFileW(TemporaryName_.c_str());
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
            ThrowSystemError(FailedStep::KeepPermissions, Path_, GetLastError());
        }
    }

    // The replaced file's access list and its visible attributes. An access list that cannot
    // be read cannot be kept: the file is not replaced, as on Linux, rather than given to
    // whoever the folder lets in.
    void KeepExistingAttributes() {
        PACL Access = nullptr;
        PSECURITY_DESCRIPTOR Descriptor = nullptr;
        if (const DWORD Error =
                GetSecurityInfo(Existing_.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &Access, nullptr, &Descriptor);
            Error != ERROR_SUCCESS) {
            ThrowSystemError(FailedStep::KeepPermissions, Path_, Error);
        }
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
            ThrowSystemError(FailedStep::KeepPermissions, Path_, Error);
        }
        FILE_BASIC_INFO Basic{};
        if (!GetFileInformationByHandleEx(Existing_.Get(), FileBasicInfo, &Basic, sizeof Basic)) {
            ThrowSystemError(FailedStep::KeepPermissions, Path_, GetLastError());
        }
        SetAttributes(Basic.FileAttributes &
                      (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }

    // Whether another program holds the final name open so that it cannot be replaced.
    bool FinalInUse() const {
        const Handle Probe(CreateFileW(
            Final_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return !Probe.IsOpen() && IsInUse(GetLastError());
    }

    // Renames the written file by its handle. POSIX semantics replace a file that others hold
    // open; where the system lacks them (before Windows 10 1709, Wine) the plain rename is
    // used, which needs the earlier file closed, so ours is closed first. A failed rename
    // leaves the file marked for deletion again.
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
        if (!MarkForDeletion(true)) {
            RemoveByName();
        }
        if (!MayReplace_ && (Error == ERROR_ALREADY_EXISTS || Error == ERROR_FILE_EXISTS)) {
            ThrowFailure(FailedStep::CreateOutput, Path_, Reason::Because(Cause::Exists));
        }
        if ((Error == ERROR_ACCESS_DENIED || IsInUse(Error)) && FinalInUse()) {
            ThrowFailure(FailedStep::ReplaceOutput, Path_, Reason::Because(Cause::InUse));
        }
        ThrowFolderError(FailedStep::ReplaceInFolder, Error);
    }

    std::string Path_;
    bool MayReplace_;
    Handle Existing_;
    std::wstring Final_;   // the long path of the final name
    std::wstring Folder_;  // its folder
    std::string FolderText_;
    std::wstring TemporaryName_;  // the long path of the hidden file
    Handle Temporary_;
    bool Committed_ = false;
    std::vector<char> Gathered_ = std::vector<char>(1 << 20);
};

std::unique_ptr<WindowsInputTrackFile> OpenInput(const std::string& Path, FileIdentity& Identity) {
    const std::wstring Name = LongPath(Path);
    if (Path.empty() || Name.empty()) {
        ThrowSystemError(FailedStep::OpenInput, Path, ERROR_FILE_NOT_FOUND);
    }
    if (HasTooLongPart(Name)) {
        ThrowFailure(FailedStep::OpenInput, Path, Reason::Because(Cause::NameTooLong));
    }
    // Other readers may come in; folders open too, so that they are named as such.
    Handle File(CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!File.IsOpen()) {
        const DWORD Error = GetLastError();
        // A wildcard that matched nothing was kept, to be named as missing.
        const bool Wild = FileNameOf(Path).find_first_of("*?") != std::string::npos;
        ThrowSystemError(FailedStep::OpenInput, Path,
                         Wild && Error == ERROR_INVALID_NAME ? ERROR_FILE_NOT_FOUND : Error);
    }
    CheckRegularFile(File.Get(), FailedStep::OpenInput, Path);
    LARGE_INTEGER Size{};
    if (!GetFileSizeEx(File.Get(), &Size) || !IdentityOf(File.Get(), Identity)) {
        ThrowSystemError(FailedStep::OpenInput, Path, GetLastError());
    }
    return std::make_unique<WindowsInputTrackFile>(std::move(File), Path,
                                                   static_cast<std::uint64_t>(Size.QuadPart));
}

// A name that does not exist yet: refused where it names a folder or a dangling link, or where
// its folder is missing.
void CheckNewName(const std::string& Path, const std::wstring& Name, const std::string& Folder) {
    if (Path.back() == '/' || Path.back() == '\\') {
        const DWORD Attributes = GetFileAttributesW(Name.c_str());
        if (Attributes == INVALID_FILE_ATTRIBUTES) {
            ThrowSystemError(FailedStep::CreateOutput, Path, ERROR_PATH_NOT_FOUND);
        }
        ThrowFailure(FailedStep::CreateOutput, Path, Reason::Because(Cause::IsFolder));
    }
    const Handle Link(
        CreateFileW(Name.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (Link.IsOpen()) {
        ThrowFailure(FailedStep::CreateOutput, Path, Reason::Because(Cause::DanglingLink));
    }
    const DWORD Attributes = GetFileAttributesW(JoinedLongPath(LongFolderOf(Name), L"").c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES || (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const DWORD Error = GetLastError();
        // A folder that is not there is a path not found, as the Linux build says it is.
        const DWORD Missing = Attributes != INVALID_FILE_ATTRIBUTES ? ERROR_DIRECTORY
                              : Error == ERROR_FILE_NOT_FOUND       ? ERROR_PATH_NOT_FOUND
                                                                    : Error;
        ThrowSystemError(FailedStep::OpenOutputFolder, Path, Missing, Folder);
    }
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& Path) {
    const Handle File(CreateFileW(LongPath(Path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity Identity;
    if (!File.IsOpen() || !IdentityOf(File.Get(), Identity)) {
        return std::nullopt;
    }
    return Identity;
}

// Windows deletes a hidden file itself when the run that made it dies: there is nothing to sweep.
TrackFiles OpenTrackFiles(const RunSettings& Settings, LeftoverSweep*) {
    TrackFiles Files;
    std::optional<FileIdentity> InputIdentity;
    if (Settings.InputFromStandardInput) {
        Files.Input = std::make_unique<StandardInputTrackFile>(Settings.InputPath);
        InputIdentity = DiskFileAt(GetStdHandle(STD_INPUT_HANDLE));
    } else {
        FileIdentity Identity;
        Files.Input = OpenInput(Settings.InputPath, Identity);
        InputIdentity = Identity;
    }
    if (Settings.OutputToStandardOutput) {
        // Appending to the input would read back what was just written, without end.
        if (InputIdentity &&
            IsStreamOf(DiskFileAt(GetStdHandle(STD_OUTPUT_HANDLE)), *InputIdentity)) {
            return {};
        }
        Files.Output = std::make_unique<StandardOutputTrackFile>(Settings.OutputPath);
        return Files;
    }
    const std::string& Path = Settings.OutputPath;
    const std::wstring Name = LongPath(Path);
    if (Path.empty() || Name.empty()) {
        ThrowSystemError(FailedStep::CreateOutput, Path, ERROR_PATH_NOT_FOUND);
    }
    if (HasTooLongPart(Name)) {
        ThrowFailure(FailedStep::CreateOutput, Path, Reason::Because(Cause::NameTooLong));
    }
    // Opened as the system resolves the path, links followed: the file that would be replaced.
    Handle Existing(CreateFileW(Name.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring Final = Name;
    // The working folder is named by its path, not as ".".
    std::string FolderText =
        FolderNameOf(Path) == "." ? ShownPath(LongFolderOf(Name)) : FolderNameOf(Path);
    if (Existing.IsOpen()) {
        FileIdentity Identity;
        if (IdentityOf(Existing.Get(), Identity) && InputIdentity == Identity) {
            return {};
        }
        CheckRegularFile(Existing.Get(), FailedStep::CreateOutput, Path);
        if (Settings.IfOutputExists == ExistingOutput::Keep) {
            ThrowFailure(FailedStep::CreateOutput, Path, Reason::Because(Cause::Exists));
        }
        FILE_BASIC_INFO Basic{};
        if (GetFileInformationByHandleEx(Existing.Get(), FileBasicInfo, &Basic, sizeof Basic) &&
            (Basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            ThrowSystemError(FailedStep::CreateOutput, Path, ERROR_ACCESS_DENIED);
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
            FolderText = ShownPath(LongFolderOf(Final));
        }
    } else {
        const DWORD Error = GetLastError();
        if (Error != ERROR_FILE_NOT_FOUND && Error != ERROR_PATH_NOT_FOUND) {
            ThrowSystemError(FailedStep::CreateOutput, Path, Error);
        }
        CheckNewName(Path, Name, FolderText);
    }
    Files.Output = std::make_unique<WindowsOutputTrackFile>(Settings, std::move(Existing), Final,
                                                            FolderText, Files.Input->Size());
    return Files;
}

}  // namespace quellmark
