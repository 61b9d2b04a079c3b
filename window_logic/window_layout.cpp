#include "window_logic/window_layout.h"

#include <algorithm>
#include <array>

namespace quellmark {
namespace {

using enum ControlId;
using enum ControlKind;

constexpr std::array<ControlLayout, 17> Controls = {{
    {Label1, "Label1", Label, "Input Track:", {0, 360, 1695, 375}, None, 12, 6},
    {txtInputTrackFile, "txtInputTrackFile", TextField, "", {1680, 360, 3495, 375}, None, 12, 7},
    {cmdInputBrowse, "cmdInputBrowse", Button, "Browse", {5280, 360, 1215, 375}, None, 12, 8},
    {Label2, "Label2", Label, "Output Track:", {0, 1080, 1695, 375}, None, 12, 9},
    {txtOutputTrackFile,
     "txtOutputTrackFile",
     TextField,
     "",
     {1680, 1080, 3495, 375},
     None,
     12,
     10},
    {cmdOutputBrowse, "cmdOutputBrowse", Button, "Browse", {5280, 1080, 1215, 375}, None, 12, 11},
    {Frame1, "Frame1", GroupBox, "Original Icon State", {480, 1800, 2415, 1815}, None, 8.25, 1},
    {optIconStateOff, "optIconStateOff", Option, "Off", {120, 240, 1455, 375}, Frame1, 8.25, 2},
    {optIconStateLow,
     "optIconStateLow",
     Option,
     "Range Only",
     {120, 600, 1455, 375},
     Frame1,
     8.25,
     3},
    {optIconStateMedium,
     "optIconStateMedium",
     Option,
     "Range && Type",
     {120, 960, 1575, 375},
     Frame1,
     8.25,
     4},
    {optIconStateFull,
     "optIconStateFull",
     Option,
     "Range, Type && Name",
     {120, 1320, 2175, 375},
     Frame1,
     8.25,
     5},
    {Frame2, "Frame2", GroupBox, "What To Screw Up", {3120, 1800, 2175, 1575}, None, 8.25, 12},
    {optViews, "optViews", Option, "Views", {120, 240, 1695, 300}, Frame2, 8.25, 13},
    {optTimeCompression,
     "optTimeCompression",
     Option,
     "Time Compression",
     {120, 600, 1935, 300},
     Frame2,
     8.25,
     14},
    {optUseNullCommand,
     "optUseNullCommand",
     Option,
     "Neither (Untested)",
     {120, 960, 1935, 300},
     Frame2,
     8.25,
     16},
    {cmdRemoveIcons,
     "cmdRemoveIcons",
     Button,
     "Remove Icons",
     {480, 3840, 1455, 375},
     None,
     8.25,
     0},
    {cmdExit, "cmdExit", Button, "Bail Out", {5040, 3840, 1455, 375}, None, 12, 15},
}};

constexpr std::array<IconStateOption, 4> IconStates = {{
    {optIconStateOff, IconState::Off, "off"},
    {optIconStateLow, IconState::Low, "range"},
    {optIconStateMedium, IconState::Medium, "range-type"},
    {optIconStateFull, IconState::Full, "range-type-name"},
}};

constexpr std::array<CommandOption, 3> Commands = {{
    {optViews, CommandType::Views, "views"},
    {optTimeCompression, CommandType::TimeCompression, "time-compression"},
    {optUseNullCommand, CommandType::UseNullCommand, "none"},
}};

}  // namespace

std::span<const ControlLayout> WindowControls() {
    return Controls;
}

const ControlLayout& ControlOf(ControlId Id) {
    return *std::find_if(Controls.begin(), Controls.end(),
                         [Id](const ControlLayout& Each) { return Each.Id == Id; });
}

std::vector<const ControlLayout*> ControlsInTabOrder(bool OptionGroupsWhole) {
    std::vector<const ControlLayout*> Sorted;
    for (const auto& Each : Controls) {
        Sorted.push_back(&Each);
    }
    std::stable_sort(Sorted.begin(), Sorted.end(), [](const auto* One, const auto* Other) {
        return One->TabIndex < Other->TabIndex;
    });
    std::vector<const ControlLayout*> Order;
    for (const auto* Each : Sorted) {
        auto At = Order.end();
        if (OptionGroupsWhole && Each->Kind == Option) {
            const auto Last = std::find_if(Order.rbegin(), Order.rend(), [Each](const auto* Made) {
                return Made->Kind == Option && Made->Frame == Each->Frame;
            });
            At = Last != Order.rend() ? Last.base() : At;
        }
        Order.insert(At, Each);
    }
    return Order;
}

const char* const ProgressAccessibleName = "Progress of the run";
const char* const QuestionListAccessibleName = "Outputs that will be replaced";

std::string AccessibleNameOf(ControlId Id) {
    switch (Id) {
        case cmdInputBrowse:
            return "Browse for the input track";
        case cmdOutputBrowse:
            return "Browse for the output track";
        default:
            return {};
    }
}

std::string ShownCaption(const char* Caption) {
    std::string Shown = Caption;
    for (auto At = Shown.find("&&"); At != std::string::npos; At = Shown.find("&&", At + 1)) {
        Shown.erase(At, 1);
    }
    return Shown;
}

std::span<const IconStateOption> IconStateOptions() {
    return IconStates;
}

std::span<const CommandOption> CommandOptions() {
    return Commands;
}

namespace {

template <typename Option>
const Option& CheckedOf(std::span<const Option> Options,
                        const std::function<bool(ControlId)>& IsChecked) {
    const auto Found =
        std::ranges::find_if(Options, [&](const Option& Each) { return IsChecked(Each.Id); });
    return Found != Options.end() ? *Found : Options.front();
}

}  // namespace

IconState ChosenIconState(const std::function<bool(ControlId)>& IsChecked) {
    return CheckedOf(IconStateOptions(), IsChecked).State;
}

CommandType ChosenCommand(const std::function<bool(ControlId)>& IsChecked) {
    return CheckedOf(CommandOptions(), IsChecked).Command;
}

std::string CaptionOf(IconState State) {
    for (const auto& Each : IconStates) {
        if (Each.State == State) {
            return ShownCaption(ControlOf(Each.Id).Caption);
        }
    }
    return {};
}

std::string CaptionOf(CommandType Command) {
    for (const auto& Each : Commands) {
        if (Each.Command == Command) {
            return ShownCaption(ControlOf(Each.Id).Caption);
        }
    }
    return {};
}

}  // namespace quellmark
