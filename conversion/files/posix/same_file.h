// Whether an output would replace the input track: by identity, and by name where a folder
// matches names without regard to case but gives each spelling an identity of its own.
#pragma once

#include <string>

#include "conversion/files/posix/input_file.h"
#include "conversion/files/posix/output_target.h"

namespace quellmark {

// Whether writing Target would replace the input open as Input, named InputPath.
bool ReplacesInput(const OutputTarget& Target, const InputTrack& Input,
                   const std::string& InputPath);

}  // namespace quellmark
