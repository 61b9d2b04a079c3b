#include "conversion/files/posix/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "conversion/failure.h"
#include "conversion/files/posix/path_entry.h"
#include "conversion/files/system_error_text.h"

namespace quellmark {
namespace {

// Opens for reading the regular file open at Located (O_PATH). The open waits, as cp does, for
// a file server to break a lease (Samba oplocks, NFS delegations) instead of failing.
FileDescriptor ReopenForReading(const FileDescriptor& Located, const std::string& Path,
                                const FileIdentity& Identity) {
    constexpr int Flags = O_RDONLY | O_CLOEXEC | O_NOCTTY;
    // The /proc name reaches the very file already checked; the path might lead elsewhere by now.
    FileDescriptor File(DescriptorPathsWork() ? ::open(DescriptorPath(Located.Get()).c_str(), Flags)
                                              : ::open(Path.c_str(), Flags | O_NONBLOCK));
    if (!File.IsOpen() && errno == EWOULDBLOCK) {
        File = FileDescriptor(::open(Path.c_str(), Flags));
    }
    if (!File.IsOpen()) {
        ThrowSystemError(FailedStep::OpenInput, Path, errno);
    }
    struct stat Status {};
    if (::fstat(File.Get(), &Status) != 0) {
        ThrowSystemError(FailedStep::OpenInput, Path, errno);
    }
    if (IdentityOf(Status) != Identity) {
        ThrowFailure(FailedStep::OpenInput, Path, Reason::Because(Cause::ChangedWhileOpened));
    }
    ::fcntl(File.Get(), F_SETFL, 0);
    return File;
}

}  // namespace

InputTrack OpenInputTrack(const std::string& Path) {
    // Looked at before it is opened for reading, so that a pipe without a writer cannot keep
    // the open waiting.
    const FileDescriptor Located(::open(Path.c_str(), O_PATH | O_CLOEXEC));
    if (!Located.IsOpen()) {
        ThrowSystemError(FailedStep::OpenInput, Path, errno);
    }
    struct stat Status {};
    if (::fstat(Located.Get(), &Status) != 0) {
        ThrowSystemError(FailedStep::OpenInput, Path, errno);
    }
    if (S_ISDIR(Status.st_mode)) {
        ThrowSystemError(FailedStep::OpenInput, Path, EISDIR);
    }
    if (!S_ISREG(Status.st_mode)) {
        ThrowFailure(FailedStep::OpenInput, Path, Reason::Because(Cause::NotRegularFile));
    }
    const FileIdentity Identity = IdentityOf(Status);
    FileDescriptor File = ReopenForReading(Located, Path, Identity);
    ::posix_fadvise(File.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return {std::move(File), static_cast<std::uint64_t>(Status.st_size), Identity};
}

}  // namespace quellmark
