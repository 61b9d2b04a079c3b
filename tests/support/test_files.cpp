#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

#include "words/run_words.h"

namespace quellmark::test {

TemporaryDirectory::TemporaryDirectory() {
    static std::mt19937_64 Random{std::random_device{}()};
    const auto Base = std::filesystem::temp_directory_path();
    for (int Attempt = 0; Path_.empty(); ++Attempt) {
        const auto Candidate = Base / ("quellmark-test-" + std::to_string(Random() % 1000000000));
        if (std::filesystem::create_directory(Candidate)) {
            std::filesystem::permissions(Candidate, std::filesystem::perms::owner_all);
            Path_ = ToUtf8(Candidate);
        } else if (Attempt == 100) {
            throw std::runtime_error("cannot make a temporary directory");
        }
    }
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code Ignored;
    std::filesystem::remove_all(FromUtf8(Path_), Ignored);
}

std::string TemporaryDirectory::operator/(std::string_view Name) const {
    return Path_ + "/" + std::string(Name);
}

std::string TemporaryDirectory::Listing() const {
    return ListingOf(Path_);
}

std::string TemporaryDirectory::ListingOf(const std::string& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(FromUtf8(Folder))) {
        Names.push_back(ToUtf8(Entry.path().filename()));
    }
    std::sort(Names.begin(), Names.end());
    std::string Joined;
    for (const auto& Name : Names) {
        Joined += (Joined.empty() ? "" : "|") + Name;
    }
    return Joined;
}

std::filesystem::path FromUtf8(const std::string& Path) {
    return std::filesystem::path(std::u8string(Path.begin(), Path.end()));
}

std::string ToUtf8(const std::filesystem::path& Path) {
    const std::u8string Text = Path.u8string();
    return {Text.begin(), Text.end()};
}

std::string Numbered(std::string_view Prefix, std::size_t Number) {
    std::string Text(Prefix);
    Text += std::to_string(Number);
    return Text;
}

void WriteFile(const std::string& Path, std::string_view Content) {
    std::ofstream File(FromUtf8(Path), std::ios::binary | std::ios::trunc);
    File.write(Content.data(), static_cast<std::streamsize>(Content.size()));
    if (!File.flush()) {
        throw std::runtime_error("cannot write " + Path);
    }
}

std::string ReadFile(const std::string& Path) {
    std::ifstream File(FromUtf8(Path), std::ios::binary);
    if (!File) {
        throw std::runtime_error("cannot read " + Path);
    }
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

std::string MakeTrack(std::string_view Body) {
    return TrackHead() + std::string(Body);
}

std::string ReasonOf(const RunResult& Done) {
    const auto& Failed = Done.Failed ? Done.Failed : Done.NotOnDisk;
    return Failed ? FailureText(*Failed, PlainQuotes([](const std::string& Path) { return Path; }))
                  : std::string();
}

std::string Convert(std::string_view Input, IconState State, CommandType Command,
                    RunOutcome& Outcome) {
    const TemporaryDirectory Directory;
    WriteFile(Directory / "in.trk", Input);
    Outcome = ConversionRun({Directory / "in.trk", Directory / "out.trk", State, Command}).Outcome;
    return std::filesystem::exists(FromUtf8(Directory / "out.trk"))
               ? ReadFile(Directory / "out.trk")
               : std::string("<no output>");
}

}  // namespace quellmark::test
