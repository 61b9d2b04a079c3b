#include "conversion/files/posix/folder_kind.h"

#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace quellmark {
namespace {

constexpr long CifsMagic = 0xFF534D42, Smb2Magic = 0xFE534D42, FuseMagic = 0x65735546;

// Kinds of folder that tell every spelling apart, unless a folder is marked casefold.
constexpr long CaseSensitiveKinds[] = {
    EXT4_SUPER_MAGIC, XFS_SUPER_MAGIC,      BTRFS_SUPER_MAGIC,
    TMPFS_MAGIC,      F2FS_SUPER_MAGIC,     OVERLAYFS_SUPER_MAGIC,
    RAMFS_MAGIC,      NILFS_SUPER_MAGIC,    REISERFS_SUPER_MAGIC,
    SQUASHFS_MAGIC,   EROFS_SUPER_MAGIC_V1, 0x2fc12fc1 /* ZFS */,
    0xca451a4e /* bcachefs */};

long KindOf(int Folder) {
    struct statfs System {};
    return ::fstatfs(Folder, &System) == 0 ? static_cast<long>(System.f_type) : 0;
}

bool KindHasFileIdentities(long Kind) {
    return Kind != 0 && Kind != FuseMagic && Kind != CifsMagic && Kind != Smb2Magic;
}

}  // namespace

bool HasFileIdentities(int Folder) {
    return KindHasFileIdentities(KindOf(Folder));
}

bool HasFileIdentitiesAt(const std::string& Path) {
    struct statfs System {};
    return ::statfs(Path.c_str(), &System) == 0 &&
           KindHasFileIdentities(static_cast<long>(System.f_type));
}

bool MayIgnoreCase(int Folder) {
    const long Kind = KindOf(Folder);
    if (std::find(std::begin(CaseSensitiveKinds), std::end(CaseSensitiveKinds), Kind) ==
        std::end(CaseSensitiveKinds)) {
        return true;
    }
    int Flags = 0;
    return ::ioctl(Folder, FS_IOC_GETFLAGS, &Flags) == 0 && (Flags & FS_CASEFOLD_FL) != 0;
}

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

}  // namespace quellmark
