// Tracks whose lines end in LF alone (as after a trip through a Linux editor or a version
// control checkout), read as the lines they are: each LF that no CR comes before is handed on
// as CR LF, so that the pass, which takes lines as ending in CR LF, sees every line.
#pragma once

#include "conversion/byte_streams.h"

namespace quellmark {

// Reads through Read, a CR put before every LF that has none before it; everything else as
// it was read.
ReadFunction LinesEndedWithCrLf(ReadFunction Read);

}  // namespace quellmark
