#include "conversion/files/posix/file_descriptor.h"

#include <unistd.h>

#include <cerrno>

namespace quellmark {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& Other) noexcept {
    if (this != &Other) {
        Close();
        Descriptor_ = std::exchange(Other.Descriptor_, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    Close();
}

int FileDescriptor::Close() {
    if (Descriptor_ < 0) {
        return 0;
    }
    // On Linux the descriptor is gone even when close reports an error, so never retry.
    const int Result = ::close(std::exchange(Descriptor_, -1));
    return Result == 0 || errno == EINTR ? 0 : errno;
}

}  // namespace quellmark
