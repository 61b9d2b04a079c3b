#include "cli/convert_program.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/convert_options.h"
#include "cli/track_batch.h"
#include "window_logic/window_layout.h"

namespace {

const std::string Program = "quellmark-convert";

// GNU's layout: the usage line first, then what the program does; no option labels.
class GnuFormatter : public CLI::Formatter {
  public:
    GnuFormatter() {
        label("REQUIRED", "");
        label("Positionals", "Arguments");
    }
    std::string make_description(const CLI::App*) const override { return ""; }
    std::string make_option_name(const CLI::Option* Option, bool Positional) const override {
        std::string Names = CLI::Formatter::make_option_name(Option, Positional);
        for (auto At = Names.find(','); At != std::string::npos; At = Names.find(',', At + 2)) {
            Names.replace(At, 1, ", ");
        }
        return Names;
    }
    std::string make_usage(const CLI::App* App, std::string) const override {
        return "Usage: " + Program + " [OPTION]... TRACK...\n" + App->get_description() + "\n";
    }
};

// The option values, with the window's captions beside them.
template <typename Option>
std::string ValueList(std::span<const Option> Options, const char* Default) {
    std::string List;
    for (const auto& Each : Options) {
        std::string Line = "  " + std::string(Each.ValueName);
        Line.resize(20, ' ');
        List += Line + quellmark::ShownCaption(quellmark::ControlOf(Each.Id).Caption) +
                (Each.ValueName == std::string(Default) ? " (the default)" : "") + "\n";
    }
    return List;
}

template <typename Option>
std::vector<std::string> ValueNames(std::span<const Option> Options) {
    std::vector<std::string> Names;
    for (const auto& Each : Options) {
        Names.push_back(Each.ValueName);
    }
    return Names;
}

std::string Footer() {
    return "Each TRACK becomes NoIcons_<name> in the TRACK's own folder, or in DIR with\n"
           "--output-dir; --output names the output of a single TRACK. An output that exists\n"
           "is not replaced without --force, and its track counts as failed; with\n"
           "--skip-existing it is left alone. A TRACK whose name already starts with NoIcons_\n"
           "is left alone unless --output names its output. With TRACK or FILE \"-\", the\n"
           "track is read from standard input or written to standard output; -- ends the\n"
           "options.\n\n"
           "STATE is the icon display the recording starts in, as the window names it:\n" +
           ValueList(quellmark::IconStateOptions(), "off") +
           "COMMAND takes the place of every recorded icon toggle, as the window names it:\n" +
           ValueList(quellmark::CommandOptions(), "views") +
           "Values may be written in any case.\n\n"
           "Exit status:\n"
           "  0  every track was converted, or left alone as asked\n"
           "  1  a track failed, or its output was not replaced; the other tracks are still\n"
           "     converted\n"
           "  2  the command line is wrong\n"
           "  3  no track failed, but one was not converted: its output is a copy with the\n"
           "     icons still on";
}

}  // namespace

namespace quellmark {
namespace {

// A command line that CLI11 took but that asks for something impossible.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void CheckCommandLine(const CLI::App& App, const std::vector<std::string>& Tracks,
                      const BatchOptions& Options) {
    for (const auto& Word : App.remaining()) {
        if (Word.rfind("--", 0) == 0) {
            throw UsageError("unrecognized option '" + Word + "'");
        }
        if (Word.size() > 1 && Word.front() == '-') {
            throw UsageError("invalid option -- '" + Word.substr(1, 1) + "'");
        }
    }
    if (App.count("--output") > 0 && Options.OutputPath.empty()) {
        throw UsageError("--output needs a FILE, not an empty name");
    }
    if (App.count("--output-dir") > 0 && Options.OutputFolder.empty()) {
        throw UsageError("--output-dir needs a DIR, not an empty name");
    }
    if (Tracks.empty()) {
        throw UsageError("no TRACK given");
    }
    if (!Options.OutputFolder.empty() &&
        std::find(Tracks.begin(), Tracks.end(), "-") != Tracks.end()) {
        throw UsageError("standard input (-) has no name to give its output in --output-dir");
    }
}

}  // namespace

int RunConvertProgram(const std::vector<std::string>& Arguments) {
    BatchOptions Options;
    std::vector<std::string> Tracks;

    CLI::App App(
        "Rewrite recorded simulation tracks (.trk) so that they play back with the\n"
        "on-screen object icons switched off.",
        Program);
    App.formatter(std::make_shared<GnuFormatter>());
    App.footer(Footer());
    std::string State = IconStateOptions().front().ValueName;
    std::string Command = CommandOptions().front().ValueName;
    App.add_option(NamesOf(ConvertOption::IconState), State,
                   "The icon state the recording starts in (default: " + State + ")")
        ->type_name("STATE")
        ->transform(
            CLI::IsMember(ValueNames(IconStateOptions()), CLI::ignore_case).description(""));
    App.add_option(NamesOf(ConvertOption::Command), Command,
                   "The command that replaces the icon toggles (default: " + Command + ")")
        ->type_name("COMMAND")
        ->transform(CLI::IsMember(ValueNames(CommandOptions()), CLI::ignore_case).description(""));
    App.add_option(NamesOf(ConvertOption::Output), Options.OutputPath,
                   "Write the output of the one TRACK to FILE")
        ->type_name("FILE");
    App.add_option(NamesOf(ConvertOption::OutputFolder), Options.OutputFolder,
                   "Write the outputs into DIR")
        ->type_name("DIR");
    App.add_flag(NamesOf(ConvertOption::Force), Options.Force, "Replace outputs that exist");
    App.add_flag(NamesOf(ConvertOption::SkipExisting), Options.SkipExisting,
                 "Leave outputs that exist alone, and their tracks unconverted");
    App.add_flag(NamesOf(ConvertOption::LfLineEnds), Options.LfLineEnds,
                 "Convert a TRACK whose lines end in LF only, writing them with CR LF");
    App.add_flag(NamesOf(ConvertOption::Quiet), Options.Quiet, "Print no warnings, only failures");
    App.add_flag(NamesOf(ConvertOption::Verbose), Options.Verbose,
                 "Also name every track that finished");
    App.set_help_flag("-h,--help", "Print this help and exit");
    App.set_version_flag("--version", Program + " (Quellmark) " QUELLMARK_VERSION,
                         "Print the version and exit");
    App.add_option("TRACK", Tracks, "The recorded tracks to convert")->type_name("");
    // Unknown options are named before any other fault, as getopt_long names them.
    App.allow_extras();

    try {
        // "--" ends the options: every word after it is a TRACK, whatever it looks like.
        const auto OptionsEnd = std::find(Arguments.begin(), Arguments.end(), "--");
        // CLI11 takes the arguments last first, without the program's name.
        std::vector<std::string> Reversed(std::make_reverse_iterator(OptionsEnd), Arguments.rend());
        if (!Reversed.empty()) {
            Reversed.pop_back();
        }
        App.parse(Reversed);
        if (OptionsEnd != Arguments.end()) {
            Tracks.insert(Tracks.end(), std::next(OptionsEnd), Arguments.end());
        }
        CheckCommandLine(App, Tracks, Options);
        if (!Options.OutputPath.empty() && Tracks.size() > 1) {
            throw CLI::ValidationError("--output", "takes a single TRACK");
        }
        if (!Options.OutputPath.empty() && !Options.OutputFolder.empty()) {
            throw CLI::ValidationError("--output", "cannot go with --output-dir");
        }
        if (Options.Force && Options.SkipExisting) {
            throw CLI::ValidationError("--force", "cannot go with --skip-existing");
        }
        if (Options.Quiet && Options.Verbose) {
            throw CLI::ValidationError("--quiet", "cannot go with --verbose");
        }
    } catch (const CLI::CallForHelp& Call) {
        return App.exit(Call);
    } catch (const CLI::CallForVersion& Call) {
        return App.exit(Call);
    } catch (const CLI::ParseError& Error) {
        std::cerr << Program << ": " << Error.what() << "\n"
                  << "Try '" << Program << " --help' for more information.\n";
        return 2;
    } catch (const UsageError& Error) {
        std::cerr << Program << ": " << Error.what() << "\n"
                  << "Try '" << Program << " --help' for more information.\n";
        return 2;
    }
    for (const auto& Each : IconStateOptions()) {
        Options.InitialIconState = Each.ValueName == State ? Each.State : Options.InitialIconState;
    }
    for (const auto& Each : CommandOptions()) {
        Options.ReplacementCommand =
            Each.ValueName == Command ? Each.Command : Options.ReplacementCommand;
    }
    return ConvertTracks(Tracks, Options, Program, std::cerr);
}

}  // namespace quellmark
