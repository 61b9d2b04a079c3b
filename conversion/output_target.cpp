#include "conversion/output_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "conversion/track_file_error.h"

namespace quellmark {
namespace {

const std::string CreateAction = "Can't create output track";

FileIdentity IdentityOf(const struct stat& Status) {
    return {Status.st_dev, Status.st_ino};
}

// A folder that cannot be read (write and search only) is still usable through O_PATH.
void OpenFolder(OutputTarget& Target) {
    Target.Folder =
        FileDescriptor(::open(Target.FolderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Target.FolderReadable = Target.Folder.IsOpen();
    if (!Target.FolderReadable && errno == EACCES) {
        Target.Folder =
            FileDescriptor(::open(Target.FolderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    if (!Target.Folder.IsOpen()) {
        ThrowFileError("Can't open folder '" + Target.FolderPath + "' of output track", Target.Path,
                       errno);
    }
}

void SplitFolderAndName(const std::string& Path, OutputTarget& Target) {
    const auto Slash = Path.rfind('/');
    Target.FolderPath = Slash == std::string::npos ? "." : Slash == 0 ? "/" : Path.substr(0, Slash);
    Target.Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

// The absolute name the kernel reached for the file open at Descriptor.
std::string FinalName(int Descriptor, const std::string& Path) {
    std::string Name(4096, '\0');
    for (;;) {
        const auto Length =
            ::readlink(DescriptorPath(Descriptor).c_str(), Name.data(), Name.size());
        if (Length < 0) {
            ThrowFileError(CreateAction, Path, errno);
        }
        if (static_cast<std::size_t>(Length) < Name.size()) {
            Name.resize(static_cast<std::size_t>(Length));
            return Name;
        }
        Name.resize(Name.size() * 2);
    }
}

void ResolveExisting(OutputTarget& Target) {
    struct stat Status {};
    if (::fstat(Target.Existing.Get(), &Status) != 0) {
        ThrowFileError(CreateAction, Target.Path, errno);
    }
    // Never replace a directory, a device or a pipe.
    if (S_ISDIR(Status.st_mode)) {
        ThrowFileError(CreateAction, Target.Path, EISDIR);
    }
    if (!S_ISREG(Status.st_mode)) {
        ThrowNotRegularFile(CreateAction, Target.Path);
    }
    if (::access(DescriptorPath(Target.Existing.Get()).c_str(), W_OK) != 0) {
        ThrowFileError(CreateAction, Target.Path, errno);
    }
    Target.ExistingIdentity = IdentityOf(Status);
    SplitFolderAndName(FinalName(Target.Existing.Get(), Target.Path), Target);
    OpenFolder(Target);
    // The name must still be the file the kernel resolved, or the rename would hit another.
    struct stat Named {};
    if (::fstatat(Target.Folder.Get(), Target.Name.c_str(), &Named, AT_SYMLINK_NOFOLLOW) != 0 ||
        IdentityOf(Named) != IdentityOf(Status)) {
        throw TrackFileError(
            FileErrorText(CreateAction, Target.Path, "Changed while it was opened"));
    }
}

}  // namespace

std::string DescriptorPath(int Descriptor) {
    return "/proc/self/fd/" + std::to_string(Descriptor);
}

OutputTarget ResolveOutputTarget(const std::string& Path) {
    OutputTarget Target;
    Target.Path = Path;
    if (Path.empty()) {
        ThrowFileError(CreateAction, Path, ENOENT);
    }
    Target.Existing = FileDescriptor(::open(Path.c_str(), O_PATH | O_CLOEXEC));
    if (Target.Existing.IsOpen()) {
        ResolveExisting(Target);
        return Target;
    }
    if (errno != ENOENT) {
        ThrowFileError(CreateAction, Path, errno);
    }
    // A new file: what open with O_CREAT would say of a name ending in a slash.
    if (Path.back() == '/') {
        ThrowFileError(CreateAction, Path, EISDIR);
    }
    struct stat Link {};
    if (::lstat(Path.c_str(), &Link) == 0 && S_ISLNK(Link.st_mode)) {
        throw TrackFileError(
            FileErrorText(CreateAction, Path, "Symbolic link to a file that does not exist"));
    }
    SplitFolderAndName(Path, Target);
    OpenFolder(Target);
    return Target;
}

}  // namespace quellmark
