#include "conversion/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "conversion/track_file_error.h"

namespace quellmark {

InputTrack OpenInputTrack(const std::string& Path) {
    static const std::string Action = "Can't open input track";
    // O_NONBLOCK keeps the open of a pipe without a writer from waiting forever; it has no
    // effect on the regular files that pass the check below.
    FileDescriptor File(::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!File.IsOpen()) {
        ThrowFileError(Action, Path, errno);
    }
    struct stat Status {};
    if (::fstat(File.Get(), &Status) != 0) {
        ThrowFileError(Action, Path, errno);
    }
    if (S_ISDIR(Status.st_mode)) {
        ThrowFileError(Action, Path, EISDIR);
    }
    if (!S_ISREG(Status.st_mode)) {
        ThrowNotRegularFile(Action, Path);
    }
    ::posix_fadvise(File.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return {std::move(File),
            static_cast<std::uint64_t>(Status.st_size),
            {Status.st_dev, Status.st_ino}};
}

}  // namespace quellmark
