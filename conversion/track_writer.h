// Buffered writing of the output track.
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quellmark {

// Writes Count pieces as writev(2) does: the bytes written, or -1 with errno set.
using WriteFunction = std::function<long(const iovec* Pieces, int Count)>;

// Collects what is written and hands it to the file in large gathered writes. Write failures,
// short writes included, throw TrackFileError.
class TrackWriter {
  public:
    // Writes to the file open at Descriptor.
    TrackWriter(int Descriptor, std::string Path, std::size_t BufferSize = 1 << 20);
    // Writes through Write, for output that is no file (the fuzzer's, in memory).
    TrackWriter(WriteFunction Write, std::string Path, std::size_t BufferSize);

    // Writes Line followed by CR LF.
    void WriteLine(std::string_view Line);

    // Writes Bytes as they are, copied into the writer's buffer.
    void WriteRaw(std::string_view Bytes);

    // Writes Bytes as they are without copying them: they must stay unchanged until the next
    // Flush. Suits long stretches of a read block.
    void WriteBorrowed(std::string_view Bytes);

    // Hands everything written so far to the file.
    void Flush();

  private:
    void Append(const char* Data, std::size_t Size);

    WriteFunction Write_;
    std::string Path_;
    std::unique_ptr<char[]> Buffer_;  // left uninitialized: only written parts are sent
    std::size_t BufferSize_;
    std::size_t Used_ = 0;
    std::vector<iovec> Pending_;
    std::size_t PendingBytes_ = 0;
};

}  // namespace quellmark
