// The words the program says of a run wherever it says them: a failure, what a track that was
// not converted left, what a converted one changed, the counts. The command line and both
// windows say them alike; they only differ in how a name is shown.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "conversion/failure.h"
#include "conversion/list_run.h"
#include "conversion/run.h"
#include "words/name_display.h"

namespace quellmark {

// The name between single quotes, as the windows show it.
QuoteFunction PlainQuotes(const ShowFunction& Show);

// "<what was being done> '<track>'[ in folder '<folder>']: <reason>".
std::string FailureText(const Failure& Failed, const QuoteFunction& Quote);
std::string ReasonText(const Reason& Why);

// Why a track was not converted, as "no record section".
std::string StopReasonText(StopReason Why);

// What a track that Stopped left: why it was not converted, and that its output is a copy.
std::string StoppedText(const TrackResult& Done, const QuoteFunction& Quote);

// What a finished track changed: how many recorded toggles were replaced and how many pairs
// were inserted, and that its lines were written with CR LF where they ended in LF only.
std::string ChangesText(const RunResult& Result);

// What a track whose folder could not be flushed left: the new output in place, perhaps not for
// good.
std::string NotOnDiskText(const TrackResult& Done, const QuoteFunction& Quote);

// The text of a refusal to write a track over itself.
std::string SameFileText();

// "N converted, N not converted (copied with the icons still on), N failed", the counts both the
// command line and the windows give.
std::string CountsText(std::size_t Converted, std::size_t Copied, std::size_t Failed);

}  // namespace quellmark
