#include "conversion/posix/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "conversion/temporary_name.h"

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

// Removes Name when it is a regular file nobody holds locked, and still the file looked at.
void RemoveIfLeftover(int Folder, const std::string& Name) {
    constexpr int Flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int File = ::openat(Folder, Name.c_str(), O_RDWR | Flags);
    if (File < 0) {
        File = ::openat(Folder, Name.c_str(), O_RDONLY | Flags);
    }
    if (File < 0) {
        return;
    }
    struct stat Opened {};
    struct stat Named {};
    if (::fstat(File, &Opened) == 0 && S_ISREG(Opened.st_mode) &&
        ::flock(File, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(Folder, Name.c_str(), &Named, AT_SYMLINK_NOFOLLOW) == 0 &&
        Named.st_dev == Opened.st_dev && Named.st_ino == Opened.st_ino) {
        ::unlinkat(Folder, Name.c_str(), 0);
    }
    ::close(File);
}

}  // namespace

bool LockAsLiveTemporaryFile(int Descriptor) {
    return ::flock(Descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

void RemoveLeftovers(const PathEntry& Folder) {
    if (!Folder.FolderReadable || !FirstLook(Folder.Folder.Get())) {
        return;
    }
    for (const auto& Name : TemporaryNamesIn(Folder.Folder.Get())) {
        RemoveIfLeftover(Folder.Folder.Get(), Name);
    }
}

}  // namespace quellmark
