#include "conversion/output_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "conversion/file_attributes.h"
#include "conversion/track_file_error.h"

namespace quellmark {
namespace {

// Short, so that it fits beside any name the folder accepts.
std::string MakeTemporaryName() {
    static std::mt19937_64 Random{std::random_device{}()};
    static const char Digits[] = "0123456789abcdef";
    std::string Name = ".quellmark-000000000000";
    for (auto At = Name.size() - 12; At < Name.size(); ++At) {
        Name[At] = Digits[Random() % 16];
    }
    return Name;
}

// In an append-only folder a name can be added but not renamed or removed, so a temporary
// name there could never be cleaned up.
bool IsAppendOnly(const OutputTarget& Target) {
    int Flags = 0;
    return Target.FolderReadable && ::ioctl(Target.Folder.Get(), FS_IOC_GETFLAGS, &Flags) == 0 &&
           (Flags & FS_APPEND_FL) != 0;
}

// The mode a new file gets from open(2) with 0666.
mode_t DefaultMode() {
    // The program has one thread, so reading the mask by setting it is safe.
    const mode_t Mask = ::umask(0);
    ::umask(Mask);
    return 0666 & ~Mask;
}

}  // namespace

OutputFile::OutputFile(OutputTarget Target) : Target_(std::move(Target)) {
    const bool Replacing = Target_.Existing.IsOpen();
    if (Replacing && IsAppendOnly(Target_)) {
        ThrowFolderError("Can't replace a file in folder", EPERM);
    }
    // An unnamed file cannot be opened by anyone else, so a new one can take the ordinary
    // mode (umask or default ACL) from the start; one that replaces a file starts private.
    File_ = FileDescriptor(::openat(Target_.Folder.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                                    Replacing ? 0600 : 0666));
    Unnamed_ = File_.IsOpen();
    if (!Unnamed_) {
        if (errno != EOPNOTSUPP && errno != EISDIR) {
            ThrowFolderError("Can't create a file in folder", errno);
        }
        CreateNamed();
    }
    struct sigaction Ignore {};
    Ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &Ignore, &FileSizeSignal_);
}

OutputFile::~OutputFile() {
    ::sigaction(SIGXFSZ, &FileSizeSignal_, nullptr);
    if (!Committed_ && !TemporaryName_.empty()) {
        ::unlinkat(Target_.Folder.Get(), TemporaryName_.c_str(), 0);
    }
}

void OutputFile::CreateNamed() {
    if (IsAppendOnly(Target_)) {
        ThrowFolderError("Can't create a file in folder", EPERM);
    }
    for (int Attempt = 0; !File_.IsOpen(); ++Attempt) {
        TemporaryName_ = MakeTemporaryName();
        File_ = FileDescriptor(::openat(Target_.Folder.Get(), TemporaryName_.c_str(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!File_.IsOpen() && (errno != EEXIST || Attempt == 100)) {
            const int Error = errno;
            TemporaryName_.clear();
            ThrowFolderError("Can't create a file in folder", Error);
        }
    }
}

// A new name is linked straight to the finished file, which is atomic and needs no temporary
// name; a file to replace gets a temporary name to rename over it.
void OutputFile::LinkUnnamed() {
    const std::string Source = DescriptorPath(File_.Get());
    if (!Target_.Existing.IsOpen()) {
        if (::linkat(AT_FDCWD, Source.c_str(), Target_.Folder.Get(), Target_.Name.c_str(),
                     AT_SYMLINK_FOLLOW) == 0) {
            TemporaryName_ = Target_.Name;
            return;
        }
        // Another run created the name meanwhile: replace it like any earlier file.
        if (errno != EEXIST) {
            ThrowFolderError("Can't create a file in folder", errno);
        }
    }
    for (int Attempt = 0;; ++Attempt) {
        const std::string Name = MakeTemporaryName();
        if (::linkat(AT_FDCWD, Source.c_str(), Target_.Folder.Get(), Name.c_str(),
                     AT_SYMLINK_FOLLOW) == 0) {
            TemporaryName_ = Name;
            return;
        }
        if (errno != EEXIST || Attempt == 100) {
            ThrowFolderError("Can't create a file in folder", errno);
        }
    }
}

void OutputFile::Commit() {
    const std::string& Path = Target_.Path;
    if (Target_.Existing.IsOpen()) {
        KeepFileAttributes(Target_.Existing.Get(), File_.Get(), Path);
    } else if (!Unnamed_ && ::fchmod(File_.Get(), DefaultMode()) != 0) {
        ThrowFileError("Can't keep the permissions of output track", Path, errno);
    }
    // Data that never reached the disk must not be reported as written.
    if (::fdatasync(File_.Get()) != 0) {
        ThrowFileError("Can't write output track", Path, errno);
    }
    if (Unnamed_) {
        LinkUnnamed();
    }
    if (const int Error = File_.Close(); Error != 0) {
        ThrowFileError("Can't write output track", Path, Error);
    }
    if (TemporaryName_ != Target_.Name &&
        ::renameat(Target_.Folder.Get(), TemporaryName_.c_str(), Target_.Folder.Get(),
                   Target_.Name.c_str()) != 0) {
        ThrowFolderError("Can't replace a file in folder", errno);
    }
    Committed_ = true;
    SyncFolder();
}

// The new name survives a crash only once the folder is on disk as well.
void OutputFile::SyncFolder() {
    if (Target_.FolderReadable && ::fsync(Target_.Folder.Get()) != 0 && errno != EINVAL) {
        ThrowFolderError("Can't flush to disk folder", errno);
    }
}

void OutputFile::ThrowFolderError(const std::string& Action, int ErrorNumber) const {
    ThrowFileError(Action + " '" + Target_.FolderPath + "' for output track", Target_.Path,
                   ErrorNumber);
}

}  // namespace quellmark
