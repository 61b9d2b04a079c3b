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

}  // namespace quellmark::bench
