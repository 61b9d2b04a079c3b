// quellmark-convert's start on Linux: the arguments are the bytes the shell passed.
#include "cli/convert_program.h"

int main(int argc, char** argv) {
    return quellmark::RunConvertProgram({argv, argv + argc});
}
