#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "bench/bench_system.h"
#include "conversion/run.h"

namespace quellmark::bench {

bool CopyByBlocks(const std::filesystem::path& From, const std::filesystem::path& To) {
    const int Input = ::open(From.c_str(), O_RDONLY | O_CLOEXEC);
    const int Output = ::open(To.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<char> Block(1 << 20);
    bool Ok = Input >= 0 && Output >= 0;
    for (ssize_t Count; Ok && (Count = ::read(Input, Block.data(), Block.size())) > 0;) {
        Ok = ::write(Output, Block.data(), static_cast<std::size_t>(Count)) == Count;
    }
    Ok = Ok && ::fdatasync(Output) == 0;
    ::close(Input);
    ::close(Output);
    return Ok;
}

double PeakMegabytes() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss / 1024.0;
}

double RunPeakMegabytes(const std::filesystem::path& Input, const std::filesystem::path& Output) {
    const pid_t Child = fork();
    if (Child == 0) {
        ConversionRun({Input, Output, IconState::Low, CommandType::Views});
        _exit(0);
    }
    int Status = 0;
    rusage Usage{};
    wait4(Child, &Status, 0, &Usage);
    return Usage.ru_maxrss / 1024.0;
}

bool RunOneIfAsked(int, char**) {
    return false;
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool RunProgram(const std::vector<std::string>& Command, const std::filesystem::path& Folder) {
    const pid_t Child = fork();
    if (Child == 0) {
        std::vector<char*> Words;
        for (const auto& Word : Command) {
            Words.push_back(const_cast<char*>(Word.c_str()));
        }
        Words.push_back(nullptr);
        // Its messages would drown the figures.
        const int Quiet = open("/dev/null", O_WRONLY);
        dup2(Quiet, STDERR_FILENO);
        if (chdir(Folder.c_str()) == 0) {
            execvp(Words[0], Words.data());
        }
        _exit(127);
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) && WEXITSTATUS(Status) != 127;
}

bool CopyFilesSynced(const std::vector<std::string>& Files, const std::filesystem::path& From,
                     const std::filesystem::path& To) {
    std::vector<std::string> Copy = {"cp"};
    Copy.insert(Copy.end(), Files.begin(), Files.end());
    Copy.push_back(To.string());
    return RunProgram(Copy, From) && RunProgram({"sync", "-f", To.string()}, From);
}

void FlushDisks() {
    ::sync();
}

}  // namespace quellmark::bench
