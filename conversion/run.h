// A conversion run: rewrites one input track into an output track that plays back with the
// object icons switched off.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "conversion/settings.h"
#include "conversion/track_reader.h"
#include "conversion/track_writer.h"

namespace quellmark {

// Called after each block the run reads, on the run's own thread, with the bytes read so far
// and the input's size; returns false to end the run at once.
using RunProgress = std::function<bool(std::uint64_t BytesRead, std::uint64_t BytesInAll)>;

// Converts Settings.InputPath into Settings.OutputPath. SameFile when both name the same file,
// as strings or as the kernel resolves them (nothing is written); Stopped when the input ends
// before its record section and preamble are through (the output then holds a copy of the
// input); Finished otherwise. Failed when a file operation fails or memory runs out:
// FailureReason, when given, then receives a message naming the file or folder and the
// reason, and any earlier file at the output path is left as it was. Cancelled when Progress
// asked to end: the earlier file is left as it was and nothing is written. Throws nothing.
RunOutcome ConversionRun(const RunSettings& Settings, std::string* FailureReason = nullptr,
                         const RunProgress& Progress = {});

// Converts what Read gives into Write as ConversionRun converts a file, for input or output that
// is no file (standard input, standard output); InputName and OutputName name them in messages.
// Nothing is replaced, so SameFile never comes; Failed as for ConversionRun. Throws nothing.
RunOutcome ConvertStream(const ReadFunction& Read, const WriteFunction& Write, IconState State,
                         CommandType Command, const std::string& InputName,
                         const std::string& OutputName, std::string* FailureReason = nullptr);

}  // namespace quellmark
