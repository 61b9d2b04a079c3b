// How the track pass reads and writes bytes, whatever holds them: the file layer gives these
// functions for a run's files, the tests and the fuzzers for memory.
#pragma once

#include <cstddef>
#include <functional>

namespace quellmark {

// Reads up to Size bytes into Buffer: the count, 0 at the end of the input. A failure throws
// TrackFileError with the system's reason.
using ReadFunction = std::function<std::size_t(char* Buffer, std::size_t Size)>;

// A stretch of bytes to write.
struct WritePiece {
    const char* Data;
    std::size_t Size;
};

// Writes the Count pieces in order, or as many of their bytes as fit: the bytes written, 0 when
// nothing fits. A failure throws TrackFileError with the system's reason.
using WriteFunction = std::function<std::size_t(const WritePiece* Pieces, int Count)>;

}  // namespace quellmark
