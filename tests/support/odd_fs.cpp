// A FUSE filesystem for the tests that passes every call to a backing folder, and can behave
// as the odd filesystems tracks are kept on do: names matched without regard to case (with an
// inode number for each spelling, as exFAT's FUSE driver gives), and changes of mode and owner
// refused (as vfat, exFAT and some SFTP servers do), or slow (as a network folder can be).
//
//   odd_fs BACKING MOUNTPOINT [--casefold] [--refuse-chmod] [--file-mode=OCTAL]
//          [--create-mode=OCTAL] [--slow]
//
// --file-mode reports that mode for every regular file; --create-mode creates every file with
// that mode, whatever was asked; --slow waits 20 ms before each read. It runs in the
// foreground until it is unmounted.
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string Backing;
    bool Casefold = false;
    bool RefuseChmod = false;
    mode_t FileMode = 0;
    mode_t CreateMode = 0;
    bool Slow = false;
} Settings;

// Each part of Path is matched exactly where it exists, else without regard to case.
std::string BackingPath(const char* Path) {
    std::string Result = Settings.Backing;
    std::string Rest = Path;
    for (std::size_t At = 1; At <= Rest.size();) {
        auto Slash = Rest.find('/', At);
        if (Slash == std::string::npos) {
            Slash = Rest.size();
        }
        std::string Part = Rest.substr(At, Slash - At);
        At = Slash + 1;
        if (Part.empty()) {
            continue;
        }
        struct stat Status {};
        if (Settings.Casefold && ::lstat((Result + "/" + Part).c_str(), &Status) != 0) {
            if (DIR* Folder = ::opendir(Result.c_str())) {
                while (const dirent* Item = ::readdir(Folder)) {
                    if (::strcasecmp(Item->d_name, Part.c_str()) == 0) {
                        Part = Item->d_name;
                        break;
                    }
                }
                ::closedir(Folder);
            }
        }
        Result += "/" + Part;
    }
    return Result;
}

int Result(int Value) {
    return Value < 0 ? -errno : 0;
}

void* Init(fuse_conn_info*, fuse_config* Config) {
    Config->entry_timeout = 0;
    Config->attr_timeout = 0;
    Config->negative_timeout = 0;
    return nullptr;
}

int GetAttributes(const char* Path, struct stat* Status, fuse_file_info*) {
    if (::lstat(BackingPath(Path).c_str(), Status) != 0) {
        return -errno;
    }
    if (Settings.FileMode != 0 && S_ISREG(Status->st_mode)) {
        Status->st_mode = S_IFREG | Settings.FileMode;
    }
    return 0;
}

int ReadFolder(const char* Path, void* Buffer, fuse_fill_dir_t Fill, off_t, fuse_file_info*,
               fuse_readdir_flags) {
    DIR* Folder = ::opendir(BackingPath(Path).c_str());
    if (Folder == nullptr) {
        return -errno;
    }
    while (const dirent* Item = ::readdir(Folder)) {
        Fill(Buffer, Item->d_name, nullptr, 0, fuse_fill_dir_flags{});
    }
    ::closedir(Folder);
    return 0;
}

int Create(const char* Path, mode_t Mode, fuse_file_info* File) {
    const int Descriptor = ::open(BackingPath(Path).c_str(), File->flags | O_CREAT,
                                  Settings.CreateMode != 0 ? Settings.CreateMode : Mode);
    if (Descriptor < 0) {
        return -errno;
    }
    if (Settings.CreateMode != 0) {
        ::fchmod(Descriptor, Settings.CreateMode);
    }
    File->fh = static_cast<uint64_t>(Descriptor);
    return 0;
}

int Open(const char* Path, fuse_file_info* File) {
    const int Descriptor = ::open(BackingPath(Path).c_str(), File->flags);
    if (Descriptor < 0) {
        return -errno;
    }
    File->fh = static_cast<uint64_t>(Descriptor);
    return 0;
}

int Read(const char*, char* Buffer, size_t Size, off_t Offset, fuse_file_info* File) {
    if (Settings.Slow) {
        ::usleep(20000);
    }
    const auto Count = ::pread(static_cast<int>(File->fh), Buffer, Size, Offset);
    return Count < 0 ? -errno : static_cast<int>(Count);
}

int Write(const char*, const char* Buffer, size_t Size, off_t Offset, fuse_file_info* File) {
    const auto Count = ::pwrite(static_cast<int>(File->fh), Buffer, Size, Offset);
    return Count < 0 ? -errno : static_cast<int>(Count);
}

int Release(const char*, fuse_file_info* File) {
    return Result(::close(static_cast<int>(File->fh)));
}

int Sync(const char*, int, fuse_file_info* File) {
    return Result(::fsync(static_cast<int>(File->fh)));
}

int Rename(const char* From, const char* To, unsigned int Flags) {
    return Result(
        ::renameat2(AT_FDCWD, BackingPath(From).c_str(), AT_FDCWD, BackingPath(To).c_str(), Flags));
}

int Link(const char* From, const char* To) {
    return Result(::link(BackingPath(From).c_str(), BackingPath(To).c_str()));
}

int Unlink(const char* Path) {
    return Result(::unlink(BackingPath(Path).c_str()));
}

int MakeFolder(const char* Path, mode_t Mode) {
    return Result(::mkdir(BackingPath(Path).c_str(), Mode));
}

int RemoveFolder(const char* Path) {
    return Result(::rmdir(BackingPath(Path).c_str()));
}

int ChangeMode(const char* Path, mode_t Mode, fuse_file_info*) {
    return Settings.RefuseChmod ? -EPERM : Result(::chmod(BackingPath(Path).c_str(), Mode));
}

int ChangeOwner(const char* Path, uid_t Owner, gid_t Group, fuse_file_info*) {
    return Settings.RefuseChmod ? -EPERM
                                : Result(::lchown(BackingPath(Path).c_str(), Owner, Group));
}

int Truncate(const char* Path, off_t Size, fuse_file_info*) {
    return Result(::truncate(BackingPath(Path).c_str(), Size));
}

int SetTimes(const char* Path, const timespec Times[2], fuse_file_info*) {
    return Result(::utimensat(AT_FDCWD, BackingPath(Path).c_str(), Times, AT_SYMLINK_NOFOLLOW));
}

int FileSystemStatus(const char* Path, struct statvfs* Status) {
    return Result(::statvfs(BackingPath(Path).c_str(), Status));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: odd_fs BACKING MOUNTPOINT [OPTION]...\n");
        return 2;
    }
    Settings.Backing = argv[1];
    for (int At = 3; At < argc; ++At) {
        const std::string Option = argv[At];
        if (Option == "--casefold") {
            Settings.Casefold = true;
        } else if (Option == "--slow") {
            Settings.Slow = true;
        } else if (Option == "--refuse-chmod") {
            Settings.RefuseChmod = true;
        } else if (Option.rfind("--file-mode=", 0) == 0) {
            Settings.FileMode = static_cast<mode_t>(std::stoul(Option.substr(12), nullptr, 8));
        } else if (Option.rfind("--create-mode=", 0) == 0) {
            Settings.CreateMode = static_cast<mode_t>(std::stoul(Option.substr(14), nullptr, 8));
        }
    }
    fuse_operations Operations{};
    Operations.init = Init;
    Operations.getattr = GetAttributes;
    Operations.readdir = ReadFolder;
    Operations.create = Create;
    Operations.open = Open;
    Operations.read = Read;
    Operations.write = Write;
    Operations.release = Release;
    Operations.fsync = Sync;
    Operations.rename = Rename;
    Operations.link = Link;
    Operations.unlink = Unlink;
    Operations.mkdir = MakeFolder;
    Operations.rmdir = RemoveFolder;
    Operations.chmod = ChangeMode;
    Operations.chown = ChangeOwner;
    Operations.truncate = Truncate;
    Operations.utimens = SetTimes;
    Operations.statfs = FileSystemStatus;
    std::vector<char*> Arguments = {argv[0], argv[2], const_cast<char*>("-f"),
                                    const_cast<char*>("-s")};
    return fuse_main(static_cast<int>(Arguments.size()), Arguments.data(), &Operations, nullptr);
}
