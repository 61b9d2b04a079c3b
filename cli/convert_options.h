// The options of quellmark-convert, named once: the command line is declared from here, and
// the Windows start learns from here which options take the next word as their value, which it
// must not expand as a wildcard.
#pragma once

#include <set>
#include <string>

namespace quellmark {

enum class ConvertOption {
    IconState,
    Command,
    Output,
    OutputFolder,
    Force,
    SkipExisting,
    LfLineEnds,
    Quiet,
    Verbose
};

// The option's names, short and long, as "-s,--icon-state".
const char* NamesOf(ConvertOption Option);

// Each name of the options whose value is the next word ("-s", "--icon-state", …).
std::set<std::string> NamesTakingAValue();

}  // namespace quellmark
