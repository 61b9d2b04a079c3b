// quellmark-convert's start on Windows: the command line as the system has it, in UTF-16, made
// UTF-8 for the program, with its wildcards expanded as Windows programs expand them, and a
// console that shows UTF-8 messages as they are. Tracks on the standard streams go through the
// file layer's handles, never the C library's text mode.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include <string>
#include <vector>

#include "cli/convert_program.h"
#include "cli/wildcards_win.h"
#include "windows_text/windows_text.h"

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> Arguments;
    for (int At = 0; At < argc; ++At) {
        const auto Argument = quellmark::ValidUtf8Text(argv[At]);
        // Half a surrogate pair would become U+FFFD and so name another file.
        if (!Argument) {
            std::fprintf(stderr,
                         "quellmark-convert: '%s': not a name Windows can give a file (half of a "
                         "UTF-16 surrogate pair)\nTry 'quellmark-convert --help' for more "
                         "information.\n",
                         quellmark::ShownUtf8Text(argv[At]).c_str());
            return 2;
        }
        Arguments.push_back(*Argument);
    }
    // "/?" asks for the help, as it does of any Windows program.
    std::replace(Arguments.begin(), Arguments.end(), std::string("/?"), std::string("--help"));
    return quellmark::RunConvertProgram(quellmark::ExpandWildcards(Arguments));
}
