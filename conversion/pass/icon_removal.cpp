#include "conversion/pass/icon_removal.h"

#include <string>
#include <string_view>

#include "conversion/pass/tokenizer.h"

namespace quellmark {
namespace {

constexpr int PreambleLines = 20;

int NumTogglesFor(IconState State) {
    switch (State) {
        case IconState::Full:
            return 1;
        case IconState::Medium:
            return 2;
        case IconState::Low:
            return 3;
        case IconState::Off:
            break;
    }
    return 0;
}

// Writes the lines that the run inserts or puts in place of recorded toggles. Each line is
// built whole in a buffer kept from call to call, so a long track costs no allocation per
// toggle.
class ToggleWriter {
  public:
    ToggleWriter(TrackWriter& Output, CommandType Command) : Output_(Output), Command_(Command) {}

    // Each text already ends in CR LF and the write adds another, so every pair adds four
    // lines, two of them empty; recorded tracks have always looked like this.
    void WriteIconToggle(int NumToggles) {
        for (int Count = 1; Count <= NumToggles; ++Count) {
            Output_.WriteLine("  0 279 1 0\r\n");
            Output_.WriteLine("  0 279 0 0\r\n");
        }
    }

    // "  1520 203 1 270 WING3" for Views, "  1520 24 1 0", "  1520 0 1 0".
    void FixIconStart(std::string_view InLine, std::string_view PlayerWing,
                      std::string_view PlayerNum) {
        static constexpr std::string_view Rest[] = {"203 1 270 ", "24 1 0", "0 1 0"};
        StartLine(InLine).append(Rest[static_cast<int>(Command_)]);
        if (Command_ == CommandType::Views) {
            Line_.append(PlayerWing).append(PlayerNum);
        }
        Output_.WriteLine(Line_);
    }

    // "  1535 203 0 0" for Views, "  1535 24 0 0", "  1535 0 0 0".
    void FixIconEnd(std::string_view InLine) {
        static constexpr std::string_view Rest[] = {"203 0 0", "24 0 0", "0 0 0"};
        Output_.WriteLine(StartLine(InLine).append(Rest[static_cast<int>(Command_)]));
    }

  private:
    // Two spaces, the time field of the recorded line, one space.
    std::string& StartLine(std::string_view InLine) {
        return Line_.assign("  ").append(FirstToken(InLine)).append(" ");
    }

    TrackWriter& Output_;
    CommandType Command_;
    std::string Line_;
};

// Replaces the recorded toggles pair by pair: odd ones by start lines, even ones by end lines.
// Returns how many were replaced.
std::uint64_t ReplaceIconToggles(TrackPass& Pass, ToggleWriter& Toggles,
                                 std::string_view PlayerWing, std::string_view PlayerNum) {
    std::string CurrentLine;
    std::uint64_t Replaced = 0;
    bool Done = false;
    while (!Done) {
        if (Pass.FindNextIconToggle(CurrentLine)) {
            Toggles.FixIconStart(CurrentLine, PlayerWing, PlayerNum);
            ++Replaced;
            if (Pass.FindNextIconToggle(CurrentLine)) {
                Toggles.FixIconEnd(CurrentLine);
                ++Replaced;
            }
        }
        Done = Pass.InputExhausted();
    }
    return Replaced;
}

}  // namespace

IconRemoval RemoveIcons(TrackPass& Pass, IconState InitialIconState, CommandType Command) {
    IconRemoval Done;
    const std::string PlayerWing = Pass.FindPlayerWing();
    const std::string PlayerNum = Pass.FindPlayerNum();
    Done.FoundRecordSection = Pass.FindRecordSection();
    if (!Done.FoundRecordSection || !Pass.LineWalk(PreambleLines)) {
        Done.Outcome = RunOutcome::Stopped;
        return Done;
    }
    ToggleWriter Toggles(Pass.Output(), Command);
    const int NumToggles = NumTogglesFor(InitialIconState);
    Toggles.WriteIconToggle(NumToggles);
    Done.PairsInserted = static_cast<std::uint64_t>(NumToggles);
    Done.TogglesReplaced = ReplaceIconToggles(Pass, Toggles, PlayerWing, PlayerNum);
    return Done;
}

}  // namespace quellmark
