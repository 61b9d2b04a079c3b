// A FUSE filesystem for the tests that passes every call to a backing folder, and can behave
// as the odd filesystems tracks are kept on do: names matched without regard to case (with an
// inode number for each spelling, as exFAT's FUSE driver gives), changes of mode and owner
// refused (as vfat, exFAT and some SFTP servers do), slow or dead (as a network folder can be),
// failing late writes at close (as NFS and a full quota do), without hard links or a rename
// that keeps an existing name (as vfat on FUSE), or with room only for root.
//
//   odd_fs BACKING MOUNTPOINT [--casefold | --casefold-lower | --casefold-full] [--refuse-chmod]
//          [--file-mode=OCTAL] [--create-mode=OCTAL] [--slow] [--hang-reads] [--fail-close]
//          [--flip-links] [--slow-flush] [--slow-create] [--no-links]
//          [--no-exclusive-rename] [--room-for-root-only]
//
// --casefold matches names as exFAT does, upper-casing each character (so final sigma and
// sigma are one); --casefold-lower lower-cases them instead (so the Kelvin sign and k are
// one); --casefold-full matches them as servers of shared folders do, under full case folding
// and canonical normalisation (so "straße" is "STRASSE", "ﬁ" is "FI", and a composed letter is
// the letter and its accent), with the International Components for Unicode rather than the
// program's own tables. --file-mode reports that mode for every regular file; --create-mode
// creates every file with that mode, whatever was asked; --slow waits 20 ms before each read;
// --hang-reads never answers a read; --fail-close fails the close of a file written to with
// EIO; --flip-links answers each look at a link whose target is "A|B" with A and B in turn;
// --slow-flush takes 10 ms over each flush of a file or a folder to disk, as a slow stick
// does; --slow-create takes 100 ms over each creation of a file; --no-links
// refuses hard links (EPERM); --no-exclusive-rename refuses a rename with flags (EINVAL);
// --room-for-root-only reports every free block as reserved for root. It runs in the
// foreground until it is unmounted.
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <fuse3/fuse_lowlevel.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace {

enum class Fold { None, Upper, Lower, Full };

struct Options {
    std::string Backing;
    Fold Casefold = Fold::None;
    bool HangReads = false;
    bool FailClose = false;
    bool FlipLinks = false;
    bool SlowFlush = false;
    bool SlowCreate = false;
    bool NoLinks = false;
    bool NoExclusiveRename = false;
    bool RoomForRootOnly = false;
    bool RefuseChmod = false;
    mode_t FileMode = 0;
    mode_t CreateMode = 0;
    bool Slow = false;
} Settings;

// Name decomposed, fully case folded and decomposed again, as UTF-16.
std::wstring FullyFolded(const std::string& Name) {
    UErrorCode Error = U_ZERO_ERROR;
    std::u16string Text(Name.size() * 3 + 16, u'\0'), Next(Name.size() * 3 + 16, u'\0');
    int32_t Length = 0;
    u_strFromUTF8(Text.data(), static_cast<int32_t>(Text.size()), &Length, Name.data(),
                  static_cast<int32_t>(Name.size()), &Error);
    const UNormalizer2* Decomposing = unorm2_getNFDInstance(&Error);
    Length = unorm2_normalize(Decomposing, Text.data(), Length, Next.data(),
                              static_cast<int32_t>(Next.size()), &Error);
    Length = u_strFoldCase(Text.data(), static_cast<int32_t>(Text.size()), Next.data(), Length,
                           U_FOLD_CASE_DEFAULT, &Error);
    Length = unorm2_normalize(Decomposing, Text.data(), Length, Next.data(),
                              static_cast<int32_t>(Next.size()), &Error);
    return U_FAILURE(Error) ? std::wstring() : std::wstring(Next.begin(), Next.begin() + Length);
}

// Name with each character upper- or lower-cased, or fully folded, as the filesystem compares
// names.
std::wstring Folded(const std::string& Name) {
    if (Settings.Casefold == Fold::Full) {
        return FullyFolded(Name);
    }
    std::wstring Wide(Name.size() + 1, L'\0');
    const auto Length = std::mbstowcs(Wide.data(), Name.c_str(), Wide.size());
    Wide.resize(Length == static_cast<std::size_t>(-1) ? 0 : Length);
    for (auto& Character : Wide) {
        Character = Settings.Casefold == Fold::Upper
                        ? static_cast<wchar_t>(std::towupper(Character))
                        : static_cast<wchar_t>(std::towlower(Character));
    }
    return Wide;
}

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
        if (Settings.Casefold != Fold::None &&
            ::lstat((Result + "/" + Part).c_str(), &Status) != 0) {
            if (DIR* Folder = ::opendir(Result.c_str())) {
                const std::wstring Wanted = Folded(Part);
                while (const dirent* Item = ::readdir(Folder)) {
                    if (!Wanted.empty() && Folded(Item->d_name) == Wanted) {
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
    if (Settings.SlowCreate) {
        ::usleep(100000);
    }
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
    // Until the filesystem goes away: a server that never answers.
    while (Settings.HangReads) {
        if (fuse_session_exited(fuse_get_session(fuse_get_context()->fuse)) != 0) {
            return -EIO;
        }
        ::usleep(10000);
    }
    const auto Count = ::pread(static_cast<int>(File->fh), Buffer, Size, Offset);
    return Count < 0 ? -errno : static_cast<int>(Count);
}

int Write(const char*, const char* Buffer, size_t Size, off_t Offset, fuse_file_info* File) {
    const auto Count = ::pwrite(static_cast<int>(File->fh), Buffer, Size, Offset);
    return Count < 0 ? -errno : static_cast<int>(Count);
}

// Called at each close of a descriptor: where asked, a file written to fails it.
int Flush(const char*, fuse_file_info* File) {
    const int Mode = ::fcntl(static_cast<int>(File->fh), F_GETFL);
    return Settings.FailClose && Mode >= 0 && (Mode & O_ACCMODE) != O_RDONLY ? -EIO : 0;
}

int ReadLink(const char* Path, char* Buffer, size_t Size) {
    std::string Target(4096, '\0');
    const auto Length = ::readlink(BackingPath(Path).c_str(), Target.data(), Target.size());
    if (Length < 0) {
        return -errno;
    }
    Target.resize(static_cast<std::size_t>(Length));
    static unsigned Looks = 0;
    if (const auto Bar = Target.find('|'); Settings.FlipLinks && Bar != std::string::npos) {
        Target = Looks++ % 2 == 0 ? Target.substr(0, Bar) : Target.substr(Bar + 1);
    }
    std::snprintf(Buffer, Size, "%s", Target.c_str());
    return 0;
}

int Release(const char*, fuse_file_info* File) {
    return Result(::close(static_cast<int>(File->fh)));
}

int Sync(const char*, int, fuse_file_info* File) {
    if (Settings.SlowFlush) {
        ::usleep(10000);
    }
    return Result(::fsync(static_cast<int>(File->fh)));
}

int SyncFolder(const char* Path, int, fuse_file_info*) {
    if (Settings.SlowFlush) {
        ::usleep(10000);
    }
    const int Folder = ::open(BackingPath(Path).c_str(), O_RDONLY | O_DIRECTORY);
    const int Synced = Result(::fsync(Folder));
    ::close(Folder);
    return Synced;
}

int Rename(const char* From, const char* To, unsigned int Flags) {
    if (Settings.NoExclusiveRename && Flags != 0) {
        return -EINVAL;
    }
    return Result(
        ::renameat2(AT_FDCWD, BackingPath(From).c_str(), AT_FDCWD, BackingPath(To).c_str(), Flags));
}

int Link(const char* From, const char* To) {
    if (Settings.NoLinks) {
        return -EPERM;
    }
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
    const int Found = Result(::statvfs(BackingPath(Path).c_str(), Status));
    if (Settings.RoomForRootOnly) {
        Status->f_bavail = 0;
    }
    return Found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: odd_fs BACKING MOUNTPOINT [OPTION]...\n");
        return 2;
    }
    Settings.Backing = argv[1];
    std::setlocale(LC_CTYPE, "C.UTF-8");
    for (int At = 3; At < argc; ++At) {
        const std::string Option = argv[At];
        if (Option == "--casefold") {
            Settings.Casefold = Fold::Upper;
        } else if (Option == "--casefold-lower") {
            Settings.Casefold = Fold::Lower;
        } else if (Option == "--casefold-full") {
            Settings.Casefold = Fold::Full;
        } else if (Option == "--slow-create") {
            Settings.SlowCreate = true;
        } else if (Option == "--no-links") {
            Settings.NoLinks = true;
        } else if (Option == "--no-exclusive-rename") {
            Settings.NoExclusiveRename = true;
        } else if (Option == "--room-for-root-only") {
            Settings.RoomForRootOnly = true;
        } else if (Option == "--hang-reads") {
            Settings.HangReads = true;
        } else if (Option == "--fail-close") {
            Settings.FailClose = true;
        } else if (Option == "--slow-flush") {
            Settings.SlowFlush = true;
        } else if (Option == "--flip-links") {
            Settings.FlipLinks = true;
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
    Operations.flush = Flush;
    Operations.readlink = ReadLink;
    Operations.fsync = Sync;
    Operations.fsyncdir = SyncFolder;
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
    std::vector<char*> Arguments = {argv[0], argv[2], const_cast<char*>("-f")};
    // One thread, so that calls come in order; a hung read must not hold up the others, and a
    // slow disk takes several flushes or creations at once.
    if (!Settings.HangReads && !Settings.SlowFlush && !Settings.SlowCreate) {
        Arguments.push_back(const_cast<char*>("-s"));
    } else {
        Arguments.push_back(const_cast<char*>("-omax_threads=8"));
    }
    // Other users reach the folder too, as they reach a shared one.
    if (::geteuid() == 0) {
        Arguments.push_back(const_cast<char*>("-oallow_other"));
    }
    return fuse_main(static_cast<int>(Arguments.size()), Arguments.data(), &Operations, nullptr);
}
