// An owned POSIX file descriptor, closed when it goes out of scope.
#pragma once

#include <sys/stat.h>

#include <utility>

#include "conversion/files/file_identity.h"

namespace quellmark {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int Descriptor) : Descriptor_(Descriptor) {}
    FileDescriptor(FileDescriptor&& Other) noexcept
        : Descriptor_(std::exchange(Other.Descriptor_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& Other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int Get() const { return Descriptor_; }
    bool IsOpen() const { return Descriptor_ >= 0; }

    // Closes the descriptor and returns 0, or the errno of a failed close.
    int Close();

  private:
    int Descriptor_ = -1;
};

// The identity of the file Status describes.
inline FileIdentity IdentityOf(const struct stat& Status) {
    return {static_cast<std::uint64_t>(Status.st_dev), {static_cast<std::uint64_t>(Status.st_ino)}};
}

}  // namespace quellmark
