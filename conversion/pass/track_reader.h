// Reading the input track in blocks, with no copy: the bytes are looked at where they were read.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "conversion/byte_streams.h"

namespace quellmark {

// The reader owns one block of BlockSize bytes and never grows it; reading ahead, it owns two.
class TrackReader {
  public:
    // Reads through Read: a file of the system's file layer, or memory (the fuzzer's). With
    // Ahead, a thread of its own reads the next block while the current one is worked on: Read
    // is then called on that thread.
    TrackReader(ReadFunction Read, std::size_t BlockSize, bool Ahead = false);
    TrackReader(const TrackReader&) = delete;
    TrackReader& operator=(const TrackReader&) = delete;
    ~TrackReader();

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
    std::unique_ptr<char[]> Block_;  // left uninitialized: read() fills what is used
    std::size_t BlockSize_;
    std::size_t Begin_ = 0;
    std::size_t End_ = 0;
    bool AtEnd_ = false;
    std::function<void()> BeforeReuse_;
    struct ReadAhead;
    std::unique_ptr<ReadAhead> Ahead_;
};

}  // namespace quellmark
