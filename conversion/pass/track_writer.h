// Buffered writing of the output track.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/byte_streams.h"

namespace quellmark {

// Collects what is written and hands it to the file in large gathered writes. A write that
// takes nothing throws TrackFileError.
class TrackWriter {
  public:
    // Writes through Write, a file of the system's file layer or memory (the fuzzer's); Path
    // names the output in messages.
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
    std::vector<WritePiece> Pending_;
    std::size_t PendingBytes_ = 0;
};

}  // namespace quellmark
