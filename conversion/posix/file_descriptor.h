// An owned POSIX file descriptor, closed when it goes out of scope.
#pragma once

#include <sys/types.h>

#include <utility>

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

// Which file a descriptor or a path leads to, whatever the names on the way.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

}  // namespace quellmark
