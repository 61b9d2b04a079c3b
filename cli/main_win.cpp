// quellmark-convert's start on Windows: the command line as the system has it, in UTF-16, made
// UTF-8 for the program, a console that shows UTF-8 messages as they are, and standard input
// and output that carry tracks byte for byte (text mode would turn CR LF into LF).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include <string>
#include <vector>

#include "cli/convert_program.h"
#include "windows_text/windows_text.h"

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> Arguments;
    for (int At = 0; At < argc; ++At) {
        Arguments.push_back(quellmark::Utf8Text(argv[At]));
    }
    return quellmark::RunConvertProgram(Arguments);
}
