#include "conversion/posix/same_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <wctype.h>

#include <cstdlib>

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

// Name with each character folded as the filesystems that ignore case fold it: exFAT and NTFS
// upper-case each character (so final sigma and sigma are one), others fold it to lower case
// (so the Kelvin sign and k are one). Lower-casing the upper case covers both; the checks that
// follow keep two files whose names merely fold alike apart. Bytes that are not UTF-8 stand
// for themselves.
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
        Result += Unicode != locale_t{}
                      ? static_cast<char32_t>(::towlower_l(::towupper_l(Code, Unicode), Unicode))
                  : Code < 0x80 ? static_cast<char32_t>(::tolower(static_cast<int>(Code)))
                                : Code;
        At += Length;
    }
    return Result;
}

// The folder's path as the kernel resolved it, or as the links lead; empty when neither can
// be had.
std::string ResolvedFolderPath(const PathEntry& Entry) {
    std::string Resolved(4096, '\0');
    if (DescriptorPathsWork()) {
        const auto Length = ::readlink(DescriptorPath(Entry.Folder.Get()).c_str(), Resolved.data(),
                                       Resolved.size());
        if (Length > 0 && static_cast<std::size_t>(Length) < Resolved.size()) {
            Resolved.resize(static_cast<std::size_t>(Length));
            return Resolved;
        }
    }
    char* Real = ::realpath(Entry.FolderPath.c_str(), nullptr);
    if (Real == nullptr) {
        return {};
    }
    Resolved = Real;
    std::free(Real);
    return Resolved;
}

// Whether the folder lists both names as they are spelled: then they are two files. A folder
// that cannot be listed tells nothing.
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
    // Elsewhere an identity of its own makes another file, whatever the names.
    if (Target.ExistingIdentity.Volume != Input.Identity.Volume ||
        HasFileIdentities(Target.Entry.Folder.Get())) {
        return false;
    }
    // A folder that ignores case may still give one file two identities, one for each
    // spelling of its name, and its folder too. Each sign that they are two files is looked
    // for; where none is found they are taken for one, since a refused run loses nothing.
    PathEntry InputEntry;
    if (FindPathEntry(InputPath, Input.File.Get(), Input.Identity, InputEntry) != 0 ||
        Folded(InputEntry.Name) != Folded(Target.Entry.Name)) {
        return false;
    }
    const std::string InputFolder = ResolvedFolderPath(InputEntry);
    const std::string OutputFolder = ResolvedFolderPath(Target.Entry);
    if (!InputFolder.empty() && !OutputFolder.empty() &&
        Folded(InputFolder) != Folded(OutputFolder)) {
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
