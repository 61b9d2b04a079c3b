// quellmark-convert's start on Windows: the command line as the system has it, in UTF-16, made
// UTF-8 for the program, and a console that shows UTF-8 messages as they are.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/convert_program.h"
#include "conversion/windows_text.h"

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> Arguments;
    for (int At = 0; At < argc; ++At) {
        Arguments.push_back(quellmark::Utf8Text(argv[At]));
    }
    return quellmark::RunConvertProgram(Arguments);
}
