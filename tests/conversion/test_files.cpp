#include "tests/conversion/test_files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace quellmark::test {

TemporaryDirectory::TemporaryDirectory() {
    std::string Template = (std::filesystem::temp_directory_path() / "quellmark-test-XXXXXX");
    if (mkdtemp(Template.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    Path_ = Template;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code Ignored;
    std::filesystem::remove_all(Path_, Ignored);
}

std::string TemporaryDirectory::operator/(std::string_view Name) const {
    return Path_ + "/" + std::string(Name);
}

std::string TemporaryDirectory::Listing() const {
    return ListingOf(Path_);
}

std::string TemporaryDirectory::ListingOf(const std::string& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
        Names.push_back(Entry.path().filename());
    }
    std::sort(Names.begin(), Names.end());
    std::string Joined;
    for (const auto& Name : Names) {
        Joined += (Joined.empty() ? "" : "|") + Name;
    }
    return Joined;
}

void WriteFile(const std::string& Path, std::string_view Content) {
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    File.write(Content.data(), static_cast<std::streamsize>(Content.size()));
    if (!File.flush()) {
        throw std::runtime_error("cannot write " + Path);
    }
}

std::string ReadFile(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    if (!File) {
        throw std::runtime_error("cannot read " + Path);
    }
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

std::string MakeTrack(std::string_view Body) {
    return TrackHead() + std::string(Body);
}

Child::Child(const std::function<std::string()>& Work) {
    int Pipe[2];
    if (pipe(Pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    Process_ = fork();
    if (Process_ == 0) {
        close(Pipe[0]);
        const std::string Report = Work();
        [[maybe_unused]] auto Written = write(Pipe[1], Report.data(), Report.size());
        _exit(0);
    }
    close(Pipe[1]);
    Pipe_ = Pipe[0];
}

Child::~Child() {
    Wait();
}

std::string Child::Wait() {
    std::string Report;
    if (Process_ < 0) {
        return Report;
    }
    char Chunk[256];
    for (ssize_t Count; (Count = read(Pipe_, Chunk, sizeof Chunk)) > 0;) {
        Report.append(Chunk, static_cast<std::size_t>(Count));
    }
    close(Pipe_);
    waitpid(Process_, &Status_, 0);
    Process_ = -1;
    return Report;
}

std::string InChild(const std::function<std::string()>& Work) {
    return Child(Work).Wait();
}

std::string Convert(std::string_view Input, IconState State, CommandType Command,
                    RunOutcome& Outcome) {
    const TemporaryDirectory Directory;
    WriteFile(Directory / "in.trk", Input);
    Outcome = ConversionRun({Directory / "in.trk", Directory / "out.trk", State, Command});
    return std::filesystem::exists(Directory / "out.trk") ? ReadFile(Directory / "out.trk")
                                                          : std::string("<no output>");
}

}  // namespace quellmark::test
