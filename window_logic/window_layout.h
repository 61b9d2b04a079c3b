// The window's controls and options, once: what each is, its caption, where it stands in
// twips, its font and its place in the tab order; and which icon state and command each option
// chooses, with the names the command line gives them. Both windows are built from it, and
// quellmark-convert --help takes its captions from it.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "conversion/settings.h"

namespace quellmark {

enum class ControlId {
    None,
    Label1,
    txtInputTrackFile,
    cmdInputBrowse,
    Label2,
    txtOutputTrackFile,
    cmdOutputBrowse,
    Frame1,
    optIconStateOff,
    optIconStateLow,
    optIconStateMedium,
    optIconStateFull,
    Frame2,
    optViews,
    optTimeCompression,
    optUseNullCommand,
    cmdRemoveIcons,
    cmdExit,
};

enum class ControlKind { Label, TextField, Button, GroupBox, Option };

// Left, top, width and height in twips (1/1440 inch, 15 to a pixel at 96 dots per inch).
struct TwipRect {
    int Left, Top, Width, Height;
    bool operator==(const TwipRect&) const = default;
};

struct ControlLayout {
    ControlId Id;
    const char* Name;  // the control's name, as the code and the tests call it
    ControlKind Kind;
    const char* Caption;  // "&&" stands for one ampersand shown as such
    TwipRect Where;       // within Frame when it has one, else within the window
    ControlId Frame;
    double Points;  // the size of its bold face
    int TabIndex;
};

inline constexpr int ClientWidthTwips = 6540;
inline constexpr int ClientHeightTwips = 4425;

// Every control, frames before the options they hold, each option group in one run.
std::span<const ControlLayout> WindowControls();
const ControlLayout& ControlOf(ControlId Id);

// The controls in the order Tab visits them, by their tab indexes. With OptionGroupsWhole each
// option follows the others of its frame at once, for systems where an option group must be one
// run of controls in that order (Win32): Neither then comes before Bail Out.
std::vector<const ControlLayout*> ControlsInTabOrder(bool OptionGroupsWhole);

// A caption as the screen shows it: "&&" as one "&".
std::string ShownCaption(const char* Caption);

// What a screen reader calls a control whose caption alone does not say what it is for (both
// buttons say "Browse"); empty where the caption or the label before it says enough.
std::string AccessibleNameOf(ControlId Id);

// What a screen reader calls the progress of a run, and the list of outputs in the question
// before one.
extern const char* const ProgressAccessibleName;
extern const char* const QuestionListAccessibleName;

struct IconStateOption {
    ControlId Id;
    IconState State;
    const char* ValueName;  // quellmark-convert --icon-state
};

struct CommandOption {
    ControlId Id;
    CommandType Command;
    const char* ValueName;  // quellmark-convert --command
};

// In the order the window asks them which one is chosen; the first is the default.
std::span<const IconStateOption> IconStateOptions();
std::span<const CommandOption> CommandOptions();

// The icon state and the command of the options IsChecked says are selected; the first
// option's where none of a group is.
IconState ChosenIconState(const std::function<bool(ControlId)>& IsChecked);
CommandType ChosenCommand(const std::function<bool(ControlId)>& IsChecked);

// The captions of the options that choose State and Command, as the screen shows them.
std::string CaptionOf(IconState State);
std::string CaptionOf(CommandType Command);

}  // namespace quellmark
