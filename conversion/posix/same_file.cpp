#include "conversion/posix/same_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <wctype.h>

#include <string_view>

namespace quellmark {
namespace {

constexpr long CifsMagic = 0xFF534D42, Smb2Magic = 0xFE534D42, FuseMagic = 0x65735546;

// Whether an identity belongs to the file. FUSE without use_ino numbers each name it is asked
// about (exFAT's driver gives "a.trk" and "A.TRK" two inodes, and so two spellings of a folder),
// and SMB mounts with noserverino number what the client has seen: there a folder's identity
// says nothing, and only the other signs below are left.
bool HasFileIdentities(int Folder) {
    struct statfs System {};
    if (::fstatfs(Folder, &System) != 0) {
        return false;
    }
    const long Type = static_cast<long>(System.f_type);
    return Type != FuseMagic && Type != CifsMagic && Type != Smb2Magic;
}

// Name with each character folded to lower case; bytes that are not UTF-8 stand for
// themselves.
std::u32string Folded(std::string_view Name) {
    static const locale_t Unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    std::u32string Result;
    for (std::size_t At = 0; At < Name.size();) {
        const auto Lead = static_cast<unsigned char>(Name[At]);
        const std::size_t Length = Lead < 0x80       ? 1
                                   : Lead >> 5 == 6  ? 2
                                   : Lead >> 4 == 14 ? 3
                                   : Lead >> 3 == 30 ? 4
                                                     : 0;
        char32_t Code = Length == 1 ? Lead : Lead & (0x7f >> Length);
        bool Valid = Length != 0 && At + Length <= Name.size();
        for (std::size_t Next = 1; Valid && Next < Length; ++Next) {
            const auto Byte = static_cast<unsigned char>(Name[At + Next]);
            Valid = Byte >> 6 == 2;
            Code = Code << 6 | (Byte & 0x3f);
        }
        if (!Valid) {
            // Kept apart from every character by a mark no valid code point has.
            Result += static_cast<char32_t>(0x110000 + Lead);
            ++At;
            continue;
        }
        Result += Unicode != locale_t{} ? static_cast<char32_t>(::towlower_l(Code, Unicode))
                  : Code < 0x80         ? static_cast<char32_t>(::tolower(static_cast<int>(Code)))
                                        : Code;
        At += Length;
    }
    return Result;
}

FileIdentity FolderIdentity(const PathEntry& Entry) {
    struct stat Status {};
    if (::fstat(Entry.Folder.Get(), &Status) != 0) {
        return {};
    }
    return {Status.st_dev, Status.st_ino};
}

// Whether the folder lists both names as they are spelled: then they are two files.
bool ListsBoth(const PathEntry& Entry, const std::string& One, const std::string& Other) {
    if (!Entry.FolderReadable) {
        return false;
    }
    DIR* Listing =
        ::fdopendir(::openat(Entry.Folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Listing == nullptr) {
        return false;
    }
    bool SeenOne = false, SeenOther = false;
    while (const dirent* Item = ::readdir(Listing)) {
        SeenOne = SeenOne || One == Item->d_name;
        SeenOther = SeenOther || Other == Item->d_name;
    }
    ::closedir(Listing);
    return SeenOne && SeenOther;
}

}  // namespace

bool ReplacesInput(const OutputTarget& Target, const InputTrack& Input,
                   const std::string& InputPath) {
    if (!Target.Existing.IsOpen()) {
        return false;
    }
    if (Target.ExistingIdentity == Input.Identity) {
        return true;
    }
    // A folder that ignores case may still give one file two identities, one for each
    // spelling of its name. Each sign that they are two files is looked for; where none is
    // found they are taken for one, since a refused run loses nothing.
    PathEntry InputEntry;
    if (Target.ExistingIdentity.Device != Input.Identity.Device ||
        FindPathEntry(InputPath, Input.File.Get(), Input.Identity, InputEntry) != 0 ||
        Folded(InputEntry.Name) != Folded(Target.Entry.Name)) {
        return false;
    }
    if (HasFileIdentities(Target.Entry.Folder.Get()) &&
        FolderIdentity(InputEntry) != FolderIdentity(Target.Entry)) {
        return false;
    }
    struct stat InputStatus {};
    const struct stat& Output = Target.ExistingStatus;
    if (::fstat(Input.File.Get(), &InputStatus) != 0 || InputStatus.st_size != Output.st_size ||
        InputStatus.st_mtim.tv_sec != Output.st_mtim.tv_sec ||
        InputStatus.st_mtim.tv_nsec != Output.st_mtim.tv_nsec) {
        return false;
    }
    return InputEntry.Name == Target.Entry.Name ||
           !ListsBoth(Target.Entry, InputEntry.Name, Target.Entry.Name);
}

}  // namespace quellmark
