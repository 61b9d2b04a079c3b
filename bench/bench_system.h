// What the benchmark needs from the system: a plain block copy to compare the engine with, the
// process's peak memory, a run measured in a process of its own, and the process id.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

// Runs Command (the program first) in Folder and waits for it; false when it could not start.
bool RunProgram(const std::vector<std::string>& Command, const std::filesystem::path& Folder);

// The floor for converting many files: each of Files (names in From) copied into To, then
// flushed to disk as a copy program and one flush of the folder would (cp and sync -f on
// Linux; a copy and a flush of each file on Windows, which has no folder flush).
bool CopyFilesSynced(const std::vector<std::string>& Files, const std::filesystem::path& From,
                     const std::filesystem::path& To);

// Every file of every disk flushed, so that a round starts with nothing waiting to be written.
void FlushDisks();

}  // namespace quellmark::bench
