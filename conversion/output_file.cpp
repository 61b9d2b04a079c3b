#include "conversion/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "conversion/track_file_error.h"

namespace quellmark {
namespace {

const std::string CreateAction = "Can't create output track";

std::string DirectoryOf(const std::string& Path) {
    const auto Slash = Path.rfind('/');
    if (Slash == std::string::npos) {
        return ".";
    }
    return Slash == 0 ? "/" : Path.substr(0, Slash);
}

// Follows symbolic links from Path to the file that finally receives the content.
std::string FollowLinks(const std::string& Path, const std::string& UserPath) {
    std::string Current = Path;
    for (int Hops = 0; Hops < 40; ++Hops) {
        struct stat Status {};
        if (::lstat(Current.c_str(), &Status) != 0 || !S_ISLNK(Status.st_mode)) {
            return Current;
        }
        std::string Link(static_cast<std::size_t>(Status.st_size) + 256, '\0');
        const auto Length = ::readlink(Current.c_str(), Link.data(), Link.size());
        if (Length < 0) {
            ThrowFileError(CreateAction, UserPath, errno);
        }
        Link.resize(static_cast<std::size_t>(Length));
        Current = Link.front() == '/' ? Link : DirectoryOf(Current) + "/" + Link;
    }
    ThrowFileError(CreateAction, UserPath, ELOOP);
}

std::string MakeTemporaryName(const std::string& Target) {
    static std::mt19937_64 Random{std::random_device{}()};
    const auto Slash = Target.rfind('/');
    const std::string Prefix = Slash == std::string::npos ? "" : Target.substr(0, Slash + 1);
    const std::string Name = Slash == std::string::npos ? Target : Target.substr(Slash + 1);
    static const char Digits[] = "0123456789abcdef";
    std::string Suffix(12, '0');
    for (auto& Digit : Suffix) {
        Digit = Digits[Random() % 16];
    }
    return Prefix + "." + Name + "." + Suffix + ".part";
}

}  // namespace

OutputFile::OutputFile(std::string Path) : Path_(std::move(Path)) {
    if (Path_.empty() || Path_.back() == '/') {
        ThrowFileError(CreateAction, Path_, Path_.empty() ? ENOENT : EISDIR);
    }
    Target_ = FollowLinks(Path_, Path_);

    struct stat Existing {};
    const bool TargetExists = ::stat(Target_.c_str(), &Existing) == 0;
    if (TargetExists) {
        // Never rename over a directory, a device or a pipe.
        if (S_ISDIR(Existing.st_mode)) {
            ThrowFileError(CreateAction, Path_, EISDIR);
        }
        if (!S_ISREG(Existing.st_mode)) {
            ThrowNotRegularFile(CreateAction, Path_);
        }
        if (::access(Target_.c_str(), W_OK) != 0) {
            ThrowFileError(CreateAction, Path_, errno);
        }
    }

    for (int Attempt = 0; !File_.IsOpen(); ++Attempt) {
        TemporaryPath_ = MakeTemporaryName(Target_);
        File_ = FileDescriptor(
            ::open(TemporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!File_.IsOpen() && (errno != EEXIST || Attempt == 100)) {
            const int Error = errno;
            TemporaryPath_.clear();
            ThrowFileError(CreateAction, Path_, Error);
        }
    }

    if (TargetExists) {
        // Like a careful editor's save, the replaced file keeps its permissions and, where we
        // may set it, its owner.
        ::fchmod(File_.Get(), Existing.st_mode & 07777);
        if (::fchown(File_.Get(), Existing.st_uid, Existing.st_gid) != 0) {
            ::fchmod(File_.Get(), Existing.st_mode & 0777);
        }
    }
}

OutputFile::~OutputFile() {
    if (!Committed_ && !TemporaryPath_.empty()) {
        File_.Close();
        ::unlink(TemporaryPath_.c_str());
    }
}

void OutputFile::Commit() {
    if (const int Error = File_.Close(); Error != 0) {
        ThrowFileError("Can't write output track", Path_, Error);
    }
    if (::rename(TemporaryPath_.c_str(), Target_.c_str()) != 0) {
        ThrowFileError("Can't replace output track", Path_, errno);
    }
    Committed_ = true;
}

}  // namespace quellmark
