#include "conversion/files/posix/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "conversion/files/posix/file_descriptor.h"
#include "conversion/files/temporary_name.h"

namespace quellmark {
namespace {

// A folder by its identity and its birth time, so that a folder made later in the place of a
// deleted one, which may get the same inode, is not taken for one already cleaned. Where the
// filesystem gives no birth time the folder is looked at every time.
using FolderKey = std::tuple<unsigned, unsigned, std::uint64_t, std::int64_t, std::uint32_t>;

bool KeyOf(int Folder, FolderKey& Key) {
    struct statx Status {};
    if (::statx(Folder, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &Status) != 0 ||
        (Status.stx_mask & STATX_BTIME) == 0) {
        return false;
    }
    Key = {Status.stx_dev_major, Status.stx_dev_minor, Status.stx_ino, Status.stx_btime.tv_sec,
           Status.stx_btime.tv_nsec};
    return true;
}

// True the first time Folder is seen by this process.
bool FirstLook(int Folder) {
    static std::mutex Guard;
    static std::set<FolderKey> Seen;
    FolderKey Key;
    if (!KeyOf(Folder, Key)) {
        return true;
    }
    const std::lock_guard Held(Guard);
    return Seen.insert(Key).second;
}

std::vector<std::string> TemporaryNamesIn(int Folder) {
    std::vector<std::string> Names;
    DIR* Listing = ::fdopendir(::openat(Folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Listing == nullptr) {
        return Names;
    }
    while (const dirent* Item = ::readdir(Listing)) {
        if (IsTemporaryName(Item->d_name)) {
            Names.emplace_back(Item->d_name);
        }
    }
    ::closedir(Listing);
    return Names;
}

// A file this program left: its own kind of file, with data (a live run locks its file before
// the first byte is written, so an empty one may be a live run's in its first instant), of this
// user, with no other name, and no track of the run or the list.
bool IsOwnLeftover(const struct stat& Status, const std::optional<FileIdentity>& Input,
                   const LeftoverSweep* List) {
    const FileIdentity Identity = IdentityOf(Status);
    return S_ISREG(Status.st_mode) && Status.st_size > 0 && Status.st_uid == ::geteuid() &&
           Status.st_nlink == 1 && Identity != Input &&
           (List == nullptr || !List->IsTrack(Identity));
}

// Removes Name when it is a leftover nobody holds locked, and still the file looked at.
void RemoveIfLeftover(int Folder, const std::string& Name, const std::optional<FileIdentity>& Input,
                      const LeftoverSweep* List) {
    constexpr int Flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    // Written to where it can be, as an exclusive lock on a network folder needs.
    FileDescriptor File(::openat(Folder, Name.c_str(), O_RDWR | Flags));
    if (!File.IsOpen()) {
        File = FileDescriptor(::openat(Folder, Name.c_str(), O_RDONLY | Flags));
    }
    struct stat Opened {};
    struct stat Named {};
    if (File.IsOpen() && ::flock(File.Get(), LOCK_EX | LOCK_NB) == 0 &&
        ::fstat(File.Get(), &Opened) == 0 && IsOwnLeftover(Opened, Input, List) &&
        ::fstatat(Folder, Name.c_str(), &Named, AT_SYMLINK_NOFOLLOW) == 0 &&
        IdentityOf(Named) == IdentityOf(Opened)) {
        ::unlinkat(Folder, Name.c_str(), 0);
    }
}

}  // namespace

bool LockAsLiveTemporaryFile(int Descriptor) {
    const timespec Pause{0, 1000000};
    for (int Attempt = 0; Attempt < 20; ++Attempt) {
        if (::flock(Descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) {
            return true;
        }
        ::nanosleep(&Pause, nullptr);
    }
    return false;
}

void RemoveLeftovers(const PathEntry& Folder, const std::optional<FileIdentity>& Input,
                     LeftoverSweep* List) {
    if (!Folder.FolderReadable) {
        return;
    }
    struct stat Status {};
    if (List != nullptr && ::fstat(Folder.Folder.Get(), &Status) == 0 &&
        !List->FirstLook(IdentityOf(Status))) {
        return;
    }
    if (!FirstLook(Folder.Folder.Get())) {
        return;
    }
    for (const auto& Name : TemporaryNamesIn(Folder.Folder.Get())) {
        RemoveIfLeftover(Folder.Folder.Get(), Name, Input, List);
    }
}

}  // namespace quellmark
