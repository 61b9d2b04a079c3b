// Files on disk for the engine's tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "conversion/run.h"
#include "tests/support/track_head.h"

namespace quellmark::test {

// A fresh directory, removed with everything in it at the end of the test.
class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return Path_; }
    // Path of Name inside the directory.
    std::string operator/(std::string_view Name) const;
    // Names of the entries in the directory, sorted and joined by '|'.
    std::string Listing() const;
    static std::string ListingOf(const std::string& Folder);

  private:
    std::string Path_;
};

// Paths are UTF-8 text on every system.
std::filesystem::path FromUtf8(const std::string& Path);
std::string ToUtf8(const std::filesystem::path& Path);

// Prefix and Number written after it ("t7"). Built by appending, since GCC 12 takes a
// literal put in front of a string for an overlapping copy (-Wrestrict) at -O3.
std::string Numbered(std::string_view Prefix, std::size_t Number);

void WriteFile(const std::string& Path, std::string_view Content);
std::string ReadFile(const std::string& Path);

// A track of CR LF lines: a header with the player keys, the record marker, the 20-line
// preamble, then Body as it stands.
std::string MakeTrack(std::string_view Body);

// The failure a run reports, in the windows' words; empty when there is none.
std::string ReasonOf(const RunResult& Done);

// Runs a conversion of Input held in a temporary directory and returns the output file's
// content; Outcome receives the run's outcome.
std::string Convert(std::string_view Input, IconState State, CommandType Command,
                    RunOutcome& Outcome);

}  // namespace quellmark::test
