// The single forward pass over the input track and the scans that move it on. Each scan
// starts where the previous one stopped and copies what it reads to the output, except the
// icon-toggle lines it hands back.
#pragma once

#include <string>
#include <string_view>

#include "conversion/track_reader.h"
#include "conversion/track_writer.h"

namespace quellmark {

// A record line with at least three tokens whose second token is exactly "279".
bool IsIconToggle(std::string_view Line);

class TrackPass {
  public:
    // Copied stretches are written straight from the input's block, so the output is flushed
    // whenever the block is about to be reused.
    TrackPass(TrackReader& Input, TrackWriter& Output);

    // The second token of the first line whose first token is "player"; empty when that line
    // has no second token or the input ends first.
    std::string FindPlayerWing();
    // Likewise for the first line whose first token is "playerNum".
    std::string FindPlayerNum();
    // True once a line whose first token is "[$$$record]" has been read.
    bool FindRecordSection();
    // Copies up to NumLines lines; false when the input is exhausted after one of them or
    // already on entry.
    bool LineWalk(int NumLines);
    // True when an icon-toggle line was read; it is stored, as read, in ToggleCommandLine and
    // not copied.
    bool FindNextIconToggle(std::string& ToggleCommandLine);

    bool InputExhausted() { return Input_.Exhausted(); }
    TrackWriter& Output() { return Output_; }

  private:
    bool FindKeyLine(std::string_view Key, std::string& Value);

    TrackReader& Input_;
    TrackWriter& Output_;
};

}  // namespace quellmark
