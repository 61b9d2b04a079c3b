// Reading a track line by line through a large block, without a copy per line.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quellmark {

// A line ends at CR LF or at a lone CR; a lone LF is an ordinary character. Read failures
// throw TrackFileError.
class TrackReader {
  public:
    TrackReader(int Descriptor, std::string Path, std::size_t BlockSize = 1 << 20);

    // True once no byte is left to read.
    bool Exhausted();

    // The next line without its line end; valid until the next call that reads. Call only when
    // not Exhausted().
    std::string_view ReadLine();

    // The bytes read but not yet handed out; they always start at the beginning of a line.
    std::string_view Buffered() const { return {Block_.data() + Begin_, End_ - Begin_}; }

    // Marks the first Count buffered bytes as handed out.
    void Consume(std::size_t Count) { Begin_ += Count; }

    // Reads more bytes after those buffered, keeping them. False at the end of the input.
    bool Fill();

    // Called before bytes already handed out are overwritten, so that views of them that were
    // kept can be used up first.
    void OnBlockReuse(std::function<void()> Action) { BeforeReuse_ = std::move(Action); }

  private:
    int Descriptor_;
    std::string Path_;
    std::vector<char> Block_;
    std::size_t Begin_ = 0;
    std::size_t End_ = 0;
    bool AtEnd_ = false;
    std::function<void()> BeforeReuse_;
};

}  // namespace quellmark
