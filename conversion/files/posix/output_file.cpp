#include "conversion/files/posix/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "conversion/failure.h"
#include "conversion/files/posix/file_attributes.h"
#include "conversion/files/posix/folder_flushes_posix.h"
#include "conversion/files/posix/leftovers.h"
#include "conversion/files/save_sequence.h"
#include "conversion/files/system_error_text.h"
#include "conversion/files/temporary_name.h"

namespace quellmark {
namespace {

// In an append-only folder a name can be added but not renamed or removed, so a temporary
// name there could never be cleaned up.
bool IsAppendOnly(int Descriptor) {
    struct statx Status {};
    return ::statx(Descriptor, "", AT_EMPTY_PATH, 0, &Status) == 0 &&
           (Status.stx_attributes & Status.stx_attributes_mask & STATX_ATTR_APPEND) != 0;
}

// Read while the program has one thread: setting the mask is the only portable way to read it.
const mode_t StartMask = [] {
    const mode_t Mask = ::umask(0);
    ::umask(Mask);
    return Mask;
}();

// The mode a new file gets from open(2) with 0666. The mask is read from /proc where it is
// mounted, since reading it by setting it would race with other threads that create files.
mode_t DefaultMode() {
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);) {
        if (Line.rfind("Umask:", 0) == 0) {
            return 0666 & ~static_cast<mode_t>(std::stoul(Line.substr(6), nullptr, 8));
        }
    }
    return 0666 & ~StartMask;
}

}  // namespace

OutputFile::OutputFile(OutputTarget Target, std::uint64_t ExpectedSize,
                       const std::optional<FileIdentity>& Input, LeftoverSweep* List)
    : Target_(std::move(Target)) {
    const bool Replacing = Target_.Existing.IsOpen();
    if (Replacing && !Target_.MayReplace) {
        ThrowSystemError(FailedStep::CreateOutput, Target_.Path, EEXIST);
    }
    if (Replacing && IsAppendOnly(Target_.Entry.Folder.Get())) {
        ThrowFolderError(FailedStep::ReplaceInFolder, EPERM);
    }
    CheckRoom(ExpectedSize);
    RemoveLeftovers(Target_.Entry, Input, List);
    // An unnamed file cannot be opened by anyone else, so a new one can take the ordinary
    // mode (umask or default ACL) from the start; one that replaces a file starts private.
    // It is linked by its /proc name, so without /proc it could never get a name.
    if (DescriptorPathsWork()) {
        File_ = FileDescriptor(::openat(Target_.Entry.Folder.Get(), ".",
                                        O_TMPFILE | O_WRONLY | O_CLOEXEC, Replacing ? 0600 : 0666));
        Unnamed_ = File_.IsOpen();
        if (Unnamed_) {
            LockAsLiveTemporaryFile(File_.Get());
        }
        if (!Unnamed_ && errno != EOPNOTSUPP && errno != EISDIR) {
            ThrowFolderError(FailedStep::CreateInFolder, errno);
        }
    }
    if (!Unnamed_) {
        CreateNamed();
    }
}

OutputFile::~OutputFile() {
    if (!Committed_ && !TemporaryName_.empty()) {
        ::unlinkat(Target_.Entry.Folder.Get(), TemporaryName_.c_str(), 0);
    }
    Cleanup_.Forget();
}

// A track that cannot fit fails before it has filled the disk for every other program.
void OutputFile::CheckRoom(std::uint64_t ExpectedSize) const {
    struct statvfs Room {};
    if (::fstatvfs(Target_.Entry.Folder.Get(), &Room) != 0 || Room.f_blocks == 0) {
        return;
    }
    const std::uint64_t Blocks = ::geteuid() == 0 ? Room.f_bfree : Room.f_bavail;
    if (Blocks * Room.f_frsize < ExpectedSize) {
        ThrowFolderError(FailedStep::CreateInFolder, ENOSPC);
    }
}

void OutputFile::CreateNamed() {
    if (IsAppendOnly(Target_.Entry.Folder.Get())) {
        ThrowFolderError(FailedStep::CreateInFolder, EPERM);
    }
    // No signal may end the program between the file's creation and the note of its name.
    const InterruptsHeld Held;
    const int Folder = Target_.Entry.Folder.Get();
    for (int Attempt = 0;; ++Attempt) {
        TemporaryName_ = MakeTemporaryName();
        File_ = FileDescriptor(::openat(Folder, TemporaryName_.c_str(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (File_.IsOpen() && LockAsLiveTemporaryFile(File_.Get())) {
            break;
        }
        int Error = errno;
        if (File_.IsOpen()) {
            // Something else holds the fresh file locked: it is removed, and a new name taken.
            Error = EWOULDBLOCK;
            ::unlinkat(Folder, TemporaryName_.c_str(), 0);
            File_.Close();
        }
        // A sweep holds a file for a moment only: a lock that stays taken is a fault of the
        // folder's, not a race.
        if ((Error != EEXIST && Error != EWOULDBLOCK) || Attempt == (Error == EEXIST ? 100 : 4)) {
            TemporaryName_.clear();
            ThrowFolderError(FailedStep::CreateInFolder, Error);
        }
    }
    Cleanup_.Remember(Folder, TemporaryName_);
}

// A new name is linked straight to the finished file, which is atomic and needs no temporary
// name; a file to replace gets a temporary name to rename over it.
void OutputFile::LinkUnnamed() {
    const std::string Source = DescriptorPath(File_.Get());
    const int Folder = Target_.Entry.Folder.Get();
    if (!Target_.Existing.IsOpen()) {
        if (::linkat(AT_FDCWD, Source.c_str(), Folder, Target_.Entry.Name.c_str(),
                     AT_SYMLINK_FOLLOW) == 0) {
            TemporaryName_ = Target_.Entry.Name;
            return;
        }
        if (errno != EEXIST) {
            ThrowFolderError(FailedStep::CreateInFolder, errno);
        }
        AdoptAppearedFile(File_.Get());
    }
    for (int Attempt = 0;; ++Attempt) {
        const std::string Name = MakeTemporaryName();
        if (::linkat(AT_FDCWD, Source.c_str(), Folder, Name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            TemporaryName_ = Name;
            Cleanup_.Remember(Folder, Name);
            return;
        }
        if (errno != EEXIST || Attempt == 100) {
            ThrowFolderError(FailedStep::CreateInFolder, errno);
        }
    }
}

// Another program created the name during the run. It is replaced only where replacing was
// asked for, and then keeps its attributes like any earlier file.
void OutputFile::AdoptAppearedFile(int Into) {
    const std::string& Path = Target_.Path;
    if (!Target_.MayReplace) {
        ThrowSystemError(FailedStep::CreateOutput, Path, EEXIST);
    }
    Target_.Existing = FileDescriptor(::openat(
        Target_.Entry.Folder.Get(), Target_.Entry.Name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat& Status = Target_.ExistingStatus;
    if (!Target_.Existing.IsOpen() || ::fstat(Target_.Existing.Get(), &Status) != 0 ||
        !S_ISREG(Status.st_mode)) {
        ThrowSystemError(FailedStep::CreateOutput, Path, EEXIST);
    }
    KeepFileAttributes(Target_.Existing.Get(), Target_.Entry, Into, Path);
}

// The temporary name takes the final one: by replacing the earlier file, or, for a name that
// was new, only while it still is.
void OutputFile::MoveIntoPlace() {
    const int Folder = Target_.Entry.Folder.Get();
    const char* Temporary = TemporaryName_.c_str();
    const char* Final = Target_.Entry.Name.c_str();
    if (!Target_.Existing.IsOpen()) {
        if (::renameat2(Folder, Temporary, Folder, Final, RENAME_NOREPLACE) == 0) {
            return;
        }
        if (errno == EEXIST) {
            // The file is closed by now: its attributes are set through the temporary name.
            const FileDescriptor Written(
                ::openat(Folder, Temporary, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            if (!Written.IsOpen()) {
                ThrowFolderError(FailedStep::CreateInFolder, errno);
            }
            AdoptAppearedFile(Written.Get());
        } else if (errno != EINVAL && errno != ENOSYS) {
            ThrowFolderError(FailedStep::CreateInFolder, errno);
        } else if (!Target_.MayReplace) {
            // No renaming without replacing here (some FUSE and network filesystems): a second
            // name, which is never given over an existing one, then the temporary one removed.
            if (::linkat(Folder, Temporary, Folder, Final, 0) == 0) {
                ::unlinkat(Folder, Temporary, 0);
                return;
            }
            if (errno == EEXIST) {
                ThrowSystemError(FailedStep::CreateOutput, Target_.Path, EEXIST);
            }
            // Nor hard links (vfat, exFAT): a look just before the rename is all that is left.
            struct stat Status {};
            if (::fstatat(Folder, Final, &Status, AT_SYMLINK_NOFOLLOW) == 0) {
                ThrowSystemError(FailedStep::CreateOutput, Target_.Path, EEXIST);
            }
        }
    }
    if (::renameat(Folder, Temporary, Folder, Final) != 0) {
        ThrowFolderError(FailedStep::ReplaceInFolder, errno);
    }
}

CommitResult OutputFile::Commit(const CommitGate& GoOn, FolderFlushes* Later) {
    return SaveInOrder(*this, GoOn, Later);
}

void OutputFile::KeepAttributes() {
    if (Target_.Existing.IsOpen()) {
        KeepFileAttributes(Target_.Existing.Get(), Target_.Entry, File_.Get(), Target_.Path);
    } else if (!Unnamed_) {
        // A filesystem that refuses the change (vfat, exFAT) gives new files a mode of its own.
        ::fchmod(File_.Get(), DefaultMode());
    }
}

void OutputFile::FlushData() {
    if (::fdatasync(File_.Get()) != 0) {
        ThrowSystemError(FailedStep::WriteOutput, Target_.Path, errno);
    }
}

void OutputFile::TakeName() {
    // A signal between the temporary name and the final one would leave a complete copy.
    const InterruptsHeld Held;
    if (Unnamed_) {
        LinkUnnamed();
    }
    // The lock outlives the close, which reports late write errors, until the file has taken
    // its final name: till then another run must not take it for a leftover.
    const FileDescriptor Lock(::fcntl(File_.Get(), F_DUPFD_CLOEXEC, 0));
    if (const int Error = File_.Close(); Error != 0) {
        ThrowSystemError(FailedStep::WriteOutput, Target_.Path, Error);
    }
    if (TemporaryName_ != Target_.Entry.Name) {
        MoveIntoPlace();
    }
    Committed_ = true;
    Cleanup_.Forget();
}

CommitResult OutputFile::FlushName(FolderFlushes* Later) {
    if (Later != nullptr && Target_.Entry.FolderReadable) {
        struct stat Folder {};
        if (::fstat(Target_.Entry.Folder.Get(), &Folder) == 0) {
            return {true, std::nullopt,
                    Later->System().Defer(
                        Target_.Entry.Folder.Get(), IdentityOf(Folder),
                        {FailedStep::FlushFolder, Target_.Path, Target_.Entry.FolderPath, {}})};
        }
    }
    return {true, SyncFolder(), nullptr};
}

// The new name survives a crash only once the folder is on disk as well.
std::optional<Failure> OutputFile::SyncFolder() const {
    if (Target_.Entry.FolderReadable && ::fsync(Target_.Entry.Folder.Get()) != 0 &&
        errno != EINVAL) {
        return Failure{FailedStep::FlushFolder, Target_.Path, Target_.Entry.FolderPath,
                       SystemReason(errno)};
    }
    return std::nullopt;
}

void OutputFile::ThrowFolderError(FailedStep Step, int ErrorNumber) const {
    ThrowFailure(Step, Target_.Path, SystemReason(ErrorNumber), Target_.Entry.FolderPath);
}

}  // namespace quellmark
