#include "tests/support/child_process.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace quellmark::test {

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

bool LeaveProc() {
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           umount2("/proc", MNT_DETACH) == 0;
}

std::string InChild(const std::function<std::string()>& Work) {
    return Child(Work).Wait();
}

}  // namespace quellmark::test
