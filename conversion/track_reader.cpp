#include "conversion/track_reader.h"

namespace quellmark {

TrackReader::TrackReader(ReadFunction Read, std::size_t BlockSize)
    : Read_(std::move(Read)),
      Block_(std::make_unique_for_overwrite<char[]>(BlockSize)),
      BlockSize_(BlockSize) {}

bool TrackReader::RefillIfEmpty() {
    if (Begin_ < End_) {
        return true;
    }
    if (AtEnd_) {
        return false;
    }
    if (BeforeReuse_) {
        BeforeReuse_();
    }
    Begin_ = 0;
    End_ = Read_(Block_.get(), BlockSize_);
    AtEnd_ = End_ == 0;
    return !AtEnd_;
}

}  // namespace quellmark
