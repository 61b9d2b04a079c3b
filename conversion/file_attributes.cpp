#include "conversion/file_attributes.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "conversion/output_target.h"
#include "conversion/track_file_error.h"

namespace quellmark {
namespace {

const std::string KeepAction = "Can't keep the permissions of output track";

// The POSIX ACL is stored as this attribute: copying it copies the ACL.
constexpr std::string_view AclAttribute = "system.posix_acl_access";

// Calls Query with a buffer until it fits; the attribute list or a value may grow in between.
template <typename QueryFunction>
std::vector<char> QueryAttributeBytes(QueryFunction Query, const std::string& Path) {
    std::vector<char> Bytes;
    for (;;) {
        const auto Size = Query(nullptr, 0);
        if (Size < 0) {
            ThrowFileError(KeepAction, Path, errno);
        }
        if (Size == 0) {
            return Bytes;
        }
        Bytes.resize(static_cast<std::size_t>(Size));
        const auto Got = Query(Bytes.data(), Bytes.size());
        if (Got >= 0) {
            Bytes.resize(static_cast<std::size_t>(Got));
            return Bytes;
        }
        if (errno != ERANGE) {
            ThrowFileError(KeepAction, Path, errno);
        }
    }
}

void CopyExtendedAttributes(const std::string& From, int To, const std::string& Path) {
    const auto Names = QueryAttributeBytes(
        [&](char* Buffer, std::size_t Size) {
            const auto Got = ::listxattr(From.c_str(), Buffer, Size);
            // A filesystem without extended attributes has none to keep.
            return Got < 0 && errno == ENOTSUP ? 0 : Got;
        },
        Path);
    for (std::size_t At = 0; At < Names.size();) {
        const std::string Name(Names.data() + At);
        At += Name.size() + 1;
        const auto Value = QueryAttributeBytes(
            [&](char* Buffer, std::size_t Size) {
                return ::getxattr(From.c_str(), Name.c_str(), Buffer, Size);
            },
            Path);
        // Other attributes may be out of reach for this user (trusted.*) or this filesystem;
        // the ACL decides who may read the track.
        if (::fsetxattr(To, Name.c_str(), Value.data(), Value.size(), 0) != 0 &&
            Name == AclAttribute) {
            ThrowFileError(KeepAction, Path, errno);
        }
    }
}

}  // namespace

void KeepFileAttributes(int From, int To, const std::string& Path) {
    struct stat Status {};
    if (::fstat(From, &Status) != 0) {
        ThrowFileError(KeepAction, Path, errno);
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
    if (::fchmod(To, Mode) != 0) {
        ThrowFileError(KeepAction, Path, errno);
    }
    CopyExtendedAttributes(DescriptorPath(From), To, Path);
}

}  // namespace quellmark
