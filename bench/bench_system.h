// What the benchmark needs from the system: a plain block copy to compare the engine with, the
// process's peak memory, a run measured in a process of its own, and the process id.
#pragma once

#include <filesystem>

namespace quellmark::bench {

// The floor for any pass over the track: reads and writes in blocks of the size the engine
// uses, synced before it ends as the engine syncs its output. False on a failure.
bool CopyByBlocks(const std::filesystem::path& From, const std::filesystem::path& To);

// This process's peak memory so far, in MB.
double PeakMegabytes();

// Peak memory of one conversion run of Input into Output in a process of its own, in MB.
double RunPeakMegabytes(const std::filesystem::path& Input, const std::filesystem::path& Output);

// Runs one conversion and ends the process, when Arguments ask for it (how RunPeakMegabytes
// starts its process where there is no fork); false otherwise.
bool RunOneIfAsked(int argc, char** argv);

unsigned long ProcessId();

}  // namespace quellmark::bench
