// The single forward pass over the input track and the scans that move it on. Each scan
// starts where the previous one stopped and copies what it reads to the output, except the
// icon-toggle lines it hands back.
//
// How the bytes move:
// - The TrackReader owns one read block of fixed size. Buffered() is a view into it; that view
//   and any view cut from it stay valid until the next RefillIfEmpty(), which overwrites the
//   block with the next read.
// - Copied stretches go to the TrackWriter borrowed, as views into the block, and wait there
//   until its next Flush. So the reader flushes the writer just before it reuses the block
//   (OnBlockReuse): one gathered write per block, and no byte copied on the way.
// - No line is ever held whole. Each scan decides a line from its first bytes and streams the
//   rest. Held are only the bytes a later step writes (token 1 of a key line, the time of a
//   toggle line) and the start of a line that may still turn out to be a toggle, where a run of
//   spaces is held as a count. Memory grows with those tokens alone, whatever the line.
// - A CR ends a line. Whether an LF follows, and so belongs to that line end, is known only
//   once the next byte is read; a CR at the end of the block is remembered and the LF, if it
//   comes first in the next block, dropped.
#pragma once

#include <string>
#include <string_view>

#include "conversion/pass/track_reader.h"
#include "conversion/pass/track_writer.h"

namespace quellmark {

class TrackPass {
  public:
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
    // True when an icon-toggle line was read. ToggleCommandLine then holds the line's first two
    // tokens as read ("1520 279"), all that its replacement takes from it; the rest of the
    // line is neither copied nor held.
    bool FindNextIconToggle(std::string& ToggleCommandLine);

    // True once no byte is left. Not a plain question: when the block is used up it reads the
    // next one, and a read failure throws TrackFileError.
    bool InputExhausted();
    TrackWriter& Output() { return Output_; }

  private:
    bool FindKeyLine(std::string_view Key, std::string& Value);
    bool ReadKeyLine(std::string_view Key, std::string& Value);
    bool ReadToggleLine(std::string& ToggleCommandLine);
    // What becomes of the rest of a line once it is judged.
    enum class Rest { Copy, Skip };
    void FinishLine(Rest What);
    void EndLineAt(std::string_view Bytes, std::size_t Return, Rest What);
    void WriteSpaces(std::size_t Count);

    TrackReader& Input_;
    TrackWriter& Output_;
    bool AfterReturn_ = false;  // the last line ended at the block's last byte, a CR
    std::string Time_;          // token 0 of the line being judged, kept from line to line
};

}  // namespace quellmark
