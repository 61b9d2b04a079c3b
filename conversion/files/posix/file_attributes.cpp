#include "conversion/files/posix/file_attributes.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>
#include <vector>

#include "conversion/failure.h"
#include "conversion/files/system_error_text.h"

namespace quellmark {
namespace {

// The POSIX ACL is stored as this attribute: copying it copies the ACL.
constexpr std::string_view AclAttribute = "system.posix_acl_access";

// Reads the attribute list (Name empty) or one attribute's value into a buffer as the xattr
// calls do: the size, or -1 with errno set.
using AttributeQuery = std::function<ssize_t(const char* Name, char* Buffer, std::size_t Size)>;

// Calls Query with a buffer until it fits; the attribute list or a value may grow in between.
std::vector<char> QueryAttributeBytes(const AttributeQuery& Query, const char* Name,
                                      const std::string& Path) {
    std::vector<char> Bytes;
    for (;;) {
        const auto Size = Query(Name, nullptr, 0);
        if (Size < 0) {
            ThrowSystemError(FailedStep::KeepPermissions, Path, errno);
        }
        if (Size == 0) {
            return Bytes;
        }
        Bytes.resize(static_cast<std::size_t>(Size));
        const auto Got = Query(Name, Bytes.data(), Bytes.size());
        if (Got >= 0) {
            Bytes.resize(static_cast<std::size_t>(Got));
            return Bytes;
        }
        if (errno != ERANGE) {
            ThrowSystemError(FailedStep::KeepPermissions, Path, errno);
        }
    }
}

// The patterns of /etc/xattr.conf marked "skip": attributes that belong to one file system or
// one file's history, which cp --preserve=xattr leaves behind too.
std::vector<std::string> ReadSkippedPatterns() {
    std::vector<std::string> Patterns;
    std::ifstream Config("/etc/xattr.conf");
    for (std::string Line; std::getline(Config, Line);) {
        std::istringstream Words(Line.substr(0, Line.find('#')));
        std::string Pattern, Action;
        if (Words >> Pattern >> Action && Action == "skip") {
            Patterns.push_back(Pattern);
        }
    }
    return Patterns;
}

// Capabilities and integrity labels vouch for the bytes they were set on; on new bytes a
// capability would hand its power to whatever the track holds.
bool IsCarriedOver(const std::string& Name) {
    if (Name == "security.capability" || Name == "security.ima" || Name == "security.evm") {
        return false;
    }
    static const std::vector<std::string> Skipped = ReadSkippedPatterns();
    for (const auto& Pattern : Skipped) {
        if (::fnmatch(Pattern.c_str(), Name.c_str(), 0) == 0) {
            return false;
        }
    }
    return true;
}

// How the old file's attributes are read: through /proc where it is mounted, else through a
// descriptor opened for reading, else by the path as given.
AttributeQuery AttributeSourceFor(int From, const PathEntry& Entry, const std::string& Path,
                                  FileDescriptor& Opened) {
    if (DescriptorPathsWork()) {
        return
            [Name = DescriptorPath(From)](const char* Attribute, char* Buffer, std::size_t Size) {
                return Attribute == nullptr ? ::listxattr(Name.c_str(), Buffer, Size)
                                            : ::getxattr(Name.c_str(), Attribute, Buffer, Size);
            };
    }
    Opened = FileDescriptor(::openat(Entry.Folder.Get(), Entry.Name.c_str(),
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat OpenedStatus {
    }, Original{};
    if (Opened.IsOpen() && ::fstat(Opened.Get(), &OpenedStatus) == 0 &&
        ::fstat(From, &Original) == 0 && OpenedStatus.st_dev == Original.st_dev &&
        OpenedStatus.st_ino == Original.st_ino) {
        return [Descriptor = Opened.Get()](const char* Attribute, char* Buffer, std::size_t Size) {
            return Attribute == nullptr ? ::flistxattr(Descriptor, Buffer, Size)
                                        : ::fgetxattr(Descriptor, Attribute, Buffer, Size);
        };
    }
    return [Path](const char* Attribute, char* Buffer, std::size_t Size) {
        return Attribute == nullptr ? ::listxattr(Path.c_str(), Buffer, Size)
                                    : ::getxattr(Path.c_str(), Attribute, Buffer, Size);
    };
}

void CopyExtendedAttributes(int From, const PathEntry& Entry, int To, const std::string& Path) {
    FileDescriptor Opened;
    const AttributeQuery Query = AttributeSourceFor(From, Entry, Path, Opened);
    const auto Names = QueryAttributeBytes(
        [&Query](const char*, char* Buffer, std::size_t Size) {
            const auto Got = Query(nullptr, Buffer, Size);
            // A filesystem without extended attributes has none to keep.
            return Got < 0 && errno == ENOTSUP ? 0 : Got;
        },
        nullptr, Path);
    for (std::size_t At = 0; At < Names.size();) {
        const std::string Name(Names.data() + At);
        At += Name.size() + 1;
        if (!IsCarriedOver(Name)) {
            continue;
        }
        const auto Value = QueryAttributeBytes(Query, Name.c_str(), Path);
        // Other attributes may be out of reach for this user (trusted.*) or this filesystem;
        // the ACL decides who may read the track.
        if (::fsetxattr(To, Name.c_str(), Value.data(), Value.size(), 0) != 0 &&
            Name == AclAttribute) {
            ThrowSystemError(FailedStep::KeepPermissions, Path, errno);
        }
    }
}

}  // namespace

void KeepFileAttributes(int From, const PathEntry& Entry, int To, const std::string& Path) {
    struct stat Status {};
    if (::fstat(From, &Status) != 0) {
        ThrowSystemError(FailedStep::KeepPermissions, Path, errno);
    }
    mode_t Mode = Status.st_mode & 07777;
    // The owner first: a change of owner clears the setuid and setgid bits. Where the owner
    // cannot be kept, neither are those bits, as cp -p does.
    if (::fchown(To, Status.st_uid, Status.st_gid) != 0) {
        Mode &= ~S_ISUID;
        if (::fchown(To, static_cast<uid_t>(-1), Status.st_gid) != 0) {
            Mode &= ~S_ISGID;
        }
    }
    // Some filesystems refuse every change of mode (vfat and exFAT one that touches the x
    // bits, some SFTP servers any); the mode the new file has then decides.
    const int ModeError = ::fchmod(To, Mode) == 0 ? 0 : errno;
    CopyExtendedAttributes(From, Entry, To, Path);
    struct stat Written {};
    if (::fstat(To, &Written) != 0) {
        ThrowSystemError(FailedStep::KeepPermissions, Path, errno);
    }
    if ((Written.st_mode & 07777 & ~Mode) != 0) {
        ThrowSystemError(FailedStep::KeepPermissions, Path, ModeError != 0 ? ModeError : EPERM);
    }
}

}  // namespace quellmark
