#include "conversion/files/posix/output_target.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "conversion/failure.h"
#include "conversion/files/system_error_text.h"

namespace quellmark {
namespace {

// Another run may put a new file in place between the open and the look at the folder; each
// attempt starts again from the path. Runs that replace one output at once keep doing so, so
// the attempts go on, each after a short pause of random length that lets the others through;
// only a name that keeps changing for about a second is given up.
constexpr int ResolveAttempts = 1000;

void PauseBeforeAttempt(int Attempt) {
    static thread_local std::minstd_rand Random{std::random_device{}()};
    if (Attempt < 4) {
        ::sched_yield();
    } else {
        ::usleep(static_cast<useconds_t>(Random() % std::min(Attempt * 100, 2000)));
    }
}

// Whether the kernel refuses to let the file be renamed over (append-only or immutable).
bool IsLocked(int Descriptor) {
    struct statx Status {};
    if (::statx(Descriptor, "", AT_EMPTY_PATH, 0, &Status) != 0) {
        return false;
    }
    const auto Locked = (STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE) & Status.stx_attributes_mask;
    return (Status.stx_attributes & Locked) != 0;
}

// False when the name now leads to another file than the one opened: try again.
bool ResolveExisting(OutputTarget& Target) {
    struct stat& Status = Target.ExistingStatus;
    if (::fstat(Target.Existing.Get(), &Status) != 0) {
        ThrowSystemError(FailedStep::CreateOutput, Target.Path, errno);
    }
    // Never replace a directory, a device or a pipe.
    if (S_ISDIR(Status.st_mode)) {
        ThrowSystemError(FailedStep::CreateOutput, Target.Path, EISDIR);
    }
    if (!S_ISREG(Status.st_mode)) {
        ThrowFailure(FailedStep::CreateOutput, Target.Path, Reason::Because(Cause::NotRegularFile));
    }
    if (Target.MayReplace && IsLocked(Target.Existing.Get())) {
        ThrowSystemError(FailedStep::ReplaceOutput, Target.Path, EPERM);
    }
    Target.ExistingIdentity = IdentityOf(Status);
    const int Error =
        FindPathEntry(Target.Path, Target.Existing.Get(), Target.ExistingIdentity, Target.Entry);
    if (Error == ESTALE) {
        return false;
    }
    if (Error != 0) {
        ThrowSystemError(FailedStep::CreateOutput, Target.Path, Error);
    }
    if (Target.MayReplace &&
        ::faccessat(Target.Entry.Folder.Get(), Target.Entry.Name.c_str(), W_OK, 0) != 0) {
        ThrowSystemError(FailedStep::CreateOutput, Target.Path, errno);
    }
    return true;
}

void ResolveNew(OutputTarget& Target) {
    const std::string& Path = Target.Path;
    // A name ending in a slash names a folder: one that is missing is said to be missing.
    if (Path.back() == '/') {
        struct stat Folder {};
        ThrowSystemError(
            FailedStep::CreateOutput, Path,
            ::stat(Path.substr(0, Path.find_last_not_of('/') + 1).c_str(), &Folder) != 0 ? errno
                                                                                         : EISDIR);
    }
    struct stat Link {};
    if (::lstat(Path.c_str(), &Link) == 0 && S_ISLNK(Link.st_mode)) {
        ThrowFailure(FailedStep::CreateOutput, Path, Reason::Because(Cause::DanglingLink));
    }
    if (const int Error = OpenParentFolder(Path, Target.Entry); Error != 0) {
        ThrowFailure(FailedStep::OpenOutputFolder, Path, SystemReason(Error),
                     Target.Entry.FolderPath);
    }
}

}  // namespace

OutputTarget ResolveOutputTarget(const std::string& Path, bool MayReplace) {
    OutputTarget Target;
    Target.Path = Path;
    Target.MayReplace = MayReplace;
    if (Path.empty()) {
        ThrowSystemError(FailedStep::CreateOutput, Path, ENOENT);
    }
    for (int Attempt = 1;; ++Attempt) {
        Target.Existing = FileDescriptor(::open(Path.c_str(), O_PATH | O_CLOEXEC));
        if (!Target.Existing.IsOpen()) {
            if (errno != ENOENT) {
                ThrowSystemError(FailedStep::CreateOutput, Path, errno);
            }
            ResolveNew(Target);
            return Target;
        }
        if (ResolveExisting(Target)) {
            return Target;
        }
        if (Attempt == ResolveAttempts) {
            ThrowFailure(FailedStep::CreateOutput, Path,
                         Reason::Because(Cause::ChangedWhileOpened));
        }
        PauseBeforeAttempt(Attempt);
    }
}

}  // namespace quellmark
