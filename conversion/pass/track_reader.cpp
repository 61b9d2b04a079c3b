#include "conversion/pass/track_reader.h"

#include <utility>

namespace quellmark {

// The thread that reads ahead fills the spare block while the pass works on the current one;
// the two blocks change places at each refill. What a read throws is kept and thrown by the
// refill that would have used the block, on the pass's own thread.
struct TrackReader::ReadAhead {
    std::unique_ptr<char[]> Spare;
    std::size_t Size = 0;
    bool Ready = false;
    bool Wanted = true;
    bool Quit = false;
    std::exception_ptr Failure;
    std::mutex Guard;
    std::condition_variable Changed;
    std::thread Reader;
};

TrackReader::TrackReader(ReadFunction Read, std::size_t BlockSize, bool Ahead)
    : Read_(std::move(Read)),
      Block_(std::make_unique_for_overwrite<char[]>(BlockSize)),
      BlockSize_(BlockSize) {
    if (!Ahead) {
        return;
    }
    Ahead_ = std::make_unique<ReadAhead>();
    Ahead_->Spare = std::make_unique_for_overwrite<char[]>(BlockSize);
    Ahead_->Reader = std::thread([this] {
        ReadAhead& State = *Ahead_;
        for (;;) {
            std::unique_lock Held(State.Guard);
            State.Changed.wait(Held, [&] { return State.Wanted || State.Quit; });
            if (State.Quit) {
                return;
            }
            Held.unlock();
            std::size_t Size = 0;
            std::exception_ptr Failure;
            try {
                Size = Read_(State.Spare.get(), BlockSize_);
            } catch (...) {
                Failure = std::current_exception();
            }
            Held.lock();
            State.Size = Size;
            State.Failure = Failure;
            State.Ready = true;
            State.Wanted = false;
            State.Changed.notify_all();
        }
    });
}

TrackReader::~TrackReader() {
    if (Ahead_ != nullptr) {
        {
            const std::lock_guard Held(Ahead_->Guard);
            Ahead_->Quit = true;
        }
        Ahead_->Changed.notify_all();
        Ahead_->Reader.join();
    }
}

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
    if (Ahead_ == nullptr) {
        End_ = Read_(Block_.get(), BlockSize_);
    } else {
        std::unique_lock Held(Ahead_->Guard);
        Ahead_->Changed.wait(Held, [this] { return Ahead_->Ready; });
        Ahead_->Ready = false;
        if (Ahead_->Failure) {
            AtEnd_ = true;
            End_ = 0;
            std::rethrow_exception(std::exchange(Ahead_->Failure, nullptr));
        }
        // The block just used up is free: the reader fills it while this one is worked on.
        std::swap(Block_, Ahead_->Spare);
        End_ = Ahead_->Size;
        Ahead_->Wanted = End_ != 0;
        Held.unlock();
        Ahead_->Changed.notify_all();
    }
    AtEnd_ = End_ == 0;
    return !AtEnd_;
}

}  // namespace quellmark
