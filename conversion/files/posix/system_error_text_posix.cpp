#include <cerrno>
#include <cstring>

#include "conversion/files/system_error_text.h"

namespace quellmark {

Reason SystemReason(long Code) {
    switch (Code) {
        case ENOENT:
            return {Cause::NotFound, Code, {}};
        case EEXIST:
            return {Cause::Exists, Code, {}};
        case EISDIR:
            return {Cause::IsFolder, Code, {}};
        case ENOTDIR:
            return {Cause::NotFolder, Code, {}};
        case EACCES:
        case EPERM:
        case EROFS:
            return {Cause::AccessDenied, Code, {}};
        case ENOSPC:
        case EDQUOT:
            return {Cause::NoSpace, Code, {}};
        case EFBIG:
            return {Cause::TooLarge, Code, {}};
        case ENAMETOOLONG:
            return {Cause::NameTooLong, Code, {}};
        case ELOOP:
            return {Cause::TooManyLinks, Code, {}};
        case EIO:
            return {Cause::IoError, Code, {}};
        case ENOMEM:
            return {Cause::OutOfMemory, Code, {}};
        default:
            return {Cause::Other, Code, {}};
    }
}

std::string SystemErrorText(long Code) {
    return std::strerror(static_cast<int>(Code));
}

}  // namespace quellmark
