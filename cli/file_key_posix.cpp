#include <sys/stat.h>

#include "cli/file_key.h"

namespace quellmark {

std::optional<FileKey> FileKeyOf(const std::string& Path) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) != 0) {
        return std::nullopt;
    }
    return FileKey{static_cast<std::uint64_t>(Status.st_dev),
                   {static_cast<std::uint64_t>(Status.st_ino), 0}};
}

}  // namespace quellmark
