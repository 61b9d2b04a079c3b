// Reading the input track in blocks, with no copy: the bytes are looked at where they were read.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quellmark {

// Reads up to Size bytes into Buffer as read(2) does: the count, 0 at the end of the input, or
// -1 with errno set.
using ReadFunction = std::function<long(char* Buffer, std::size_t Size)>;

// The reader owns one block of BlockSize bytes and never grows it. Read failures throw
// TrackFileError.
class TrackReader {
  public:
    // Reads the file open at Descriptor.
    TrackReader(int Descriptor, std::string Path, std::size_t BlockSize = 1 << 20);
    // Reads through Read, for input that is no file (the fuzzer's, in memory).
    TrackReader(ReadFunction Read, std::string Path, std::size_t BlockSize);

    // The bytes read and not yet consumed; valid until the next RefillIfEmpty.
    std::string_view Buffered() const { return {Block_.get() + Begin_, End_ - Begin_}; }

    // Marks the first Count buffered bytes as consumed.
    void Consume(std::size_t Count) { Begin_ += Count; }

    // When every buffered byte is consumed, reads the next block into the same memory: this
    // is a read from the file and can throw. False when nothing is buffered and the input is
    // at its end.
    bool RefillIfEmpty();

    // Called before the block is overwritten, so that views of it still held elsewhere can be
    // used up first.
    void OnBlockReuse(std::function<void()> Action) { BeforeReuse_ = std::move(Action); }

  private:
    ReadFunction Read_;
    std::string Path_;
    std::unique_ptr<char[]> Block_;  // left uninitialized: read() fills what is used
    std::size_t BlockSize_;
    std::size_t Begin_ = 0;
    std::size_t End_ = 0;
    bool AtEnd_ = false;
    std::function<void()> BeforeReuse_;
};

}  // namespace quellmark
