#include "conversion/files/posix/path_entry.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "conversion/files/path_syntax.h"

namespace quellmark {
namespace {

// As many links as the kernel follows in one path.
constexpr int LinkLimit = 40;

struct PathParts {
    std::string Folder;
    std::string Name;
};

PathParts SplitPath(const std::string& Path) {
    return {FolderNameOf(Path), FileNameOf(Path)};
}

// A folder as messages name it: the working folder by its path, not as ".".
std::string ShownFolder(const std::string& Folder) {
    if (Folder != ".") {
        return Folder;
    }
    char* Current = ::getcwd(nullptr, 0);
    const std::string Shown = Current != nullptr ? Current : Folder;
    std::free(Current);
    return Shown;
}

int OpenFolderAt(int Base, const std::string& Path, PathEntry& Entry) {
    Entry.Folder = FileDescriptor(::openat(Base, Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Entry.FolderReadable = Entry.Folder.IsOpen();
    // A folder that cannot be read (write and search only) is still usable through O_PATH.
    if (!Entry.FolderReadable && errno == EACCES) {
        Entry.Folder =
            FileDescriptor(::openat(Base, Path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    return Entry.Folder.IsOpen() ? 0 : errno;
}

int ReadLinkAt(int Folder, const std::string& Name, std::string& Target) {
    Target.assign(256, '\0');
    for (;;) {
        const auto Length = ::readlinkat(Folder, Name.c_str(), Target.data(), Target.size());
        if (Length < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(Length) < Target.size()) {
            Target.resize(static_cast<std::size_t>(Length));
            return 0;
        }
        Target.resize(Target.size() * 2);
    }
}

int FollowLinks(const std::string& Path, PathEntry& Entry) {
    PathParts Parts = SplitPath(Path);
    if (const int Error = OpenFolderAt(AT_FDCWD, Parts.Folder, Entry); Error != 0) {
        return Error;
    }
    Entry.FolderPath = ShownFolder(Parts.Folder);
    Entry.Name = Parts.Name;
    for (int Hop = 0;; ++Hop) {
        struct stat Status {};
        if (::fstatat(Entry.Folder.Get(), Entry.Name.c_str(), &Status, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno;
        }
        if (!S_ISLNK(Status.st_mode)) {
            return 0;
        }
        if (Hop == LinkLimit) {
            return ELOOP;
        }
        std::string Target;
        if (const int Error = ReadLinkAt(Entry.Folder.Get(), Entry.Name, Target); Error != 0) {
            return Error;
        }
        Parts = SplitPath(Target);
        const bool Absolute = Target.front() == '/';
        PathEntry Next;
        if (const int Error =
                OpenFolderAt(Absolute ? AT_FDCWD : Entry.Folder.Get(), Parts.Folder, Next);
            Error != 0) {
            return Error;
        }
        // Where a relative link's folder lies, for messages.
        Next.FolderPath = Absolute              ? Parts.Folder
                          : Parts.Folder == "." ? Entry.FolderPath
                                                : JoinPath(Entry.FolderPath, Parts.Folder);
        Next.Name = Parts.Name;
        Entry = std::move(Next);
    }
}

int FindByKernelName(int Descriptor, PathEntry& Entry) {
    std::string Final;
    if (const int Error = ReadLinkAt(AT_FDCWD, DescriptorPath(Descriptor), Final); Error != 0) {
        return Error;
    }
    if (Final.empty() || Final.front() != '/') {
        return ENOENT;
    }
    const PathParts Parts = SplitPath(Final);
    Entry.FolderPath = Parts.Folder;
    Entry.Name = Parts.Name;
    return OpenFolderAt(AT_FDCWD, Parts.Folder, Entry);
}

bool Leads(const PathEntry& Entry, const FileIdentity& Expected) {
    struct stat Found {};
    return ::fstatat(Entry.Folder.Get(), Entry.Name.c_str(), &Found, AT_SYMLINK_NOFOLLOW) == 0 &&
           IdentityOf(Found) == Expected;
}

}  // namespace

int FindPathEntry(const std::string& Path, int Descriptor, const FileIdentity& Expected,
                  PathEntry& Entry) {
    const int WalkError = FollowLinks(Path, Entry);
    if (WalkError == 0 && Leads(Entry, Expected)) {
        return 0;
    }
    PathEntry ByName;
    if (DescriptorPathsWork() && FindByKernelName(Descriptor, ByName) == 0 &&
        Leads(ByName, Expected)) {
        Entry = std::move(ByName);
        return 0;
    }
    return WalkError != 0 ? WalkError : ESTALE;
}

int OpenParentFolder(const std::string& Path, PathEntry& Entry) {
    const PathParts Parts = SplitPath(Path);
    Entry.FolderPath = ShownFolder(Parts.Folder);
    Entry.Name = Parts.Name;
    return OpenFolderAt(AT_FDCWD, Parts.Folder, Entry);
}

std::string DescriptorPath(int Descriptor) {
    return "/proc/self/fd/" + std::to_string(Descriptor);
}

bool DescriptorPathsWork() {
    struct statfs System {};
    return ::statfs("/proc/self/fd", &System) == 0 && System.f_type == PROC_SUPER_MAGIC;
}

}  // namespace quellmark
