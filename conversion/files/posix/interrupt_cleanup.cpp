#include "conversion/files/posix/interrupt_cleanup.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <mutex>
#include <thread>

namespace quellmark {
namespace {

constexpr int EndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

// The handler may only read what is ready before it runs: fixed slots, each marked ready with
// an atomic store once its folder and name are filled in, and taken back from the handler with
// an exchange, so that a slot is never refilled under it.
enum SlotState : int { Free, Filling, Ready, Removing };
struct Slot {
    std::atomic<int> State{Free};
    int Folder = -1;
    char Name[64] = {};
};
Slot Slots[64];

// Steps under way that a signal must let finish, and whether one has come: from then on no
// step starts, so that none begins after the handler has looked.
std::atomic<int> HeldSteps{0};
std::atomic<bool> Ending{false};

// The signals whose handler is ours, filled once before the handler is installed.
sigset_t Handled;
std::once_flag HandlersInstalled;
// The process whose watching thread runs: a child made by fork has none until it starts one.
std::atomic<pid_t> WatchingProcess{0};
std::mutex WatcherStart;

void WaitForHeldSteps() {
    // Two seconds at most: a step stuck in the kernel must not keep the program alive.
    const timespec Pause{0, 1000000};
    for (int Waited = 0; Waited < 2000 && HeldSteps.load() > 0; ++Waited) {
        ::nanosleep(&Pause, nullptr);
    }
}

void RemoveNamesAndEnd(int Signal) {
    const int SavedError = errno;
    Ending.store(true);
    WaitForHeldSteps();
    for (auto& Entry : Slots) {
        int Expected = Ready;
        if (Entry.State.compare_exchange_strong(Expected, Removing)) {
            ::unlinkat(Entry.Folder, Entry.Name, 0);
        }
    }
    // The signal is blocked while its handler runs: raised again under the default action,
    // it ends the program as soon as the handler returns, with the status the caller expects,
    // and every other thread with it, wherever it waits.
    struct sigaction Default {};
    Default.sa_handler = SIG_DFL;
    ::sigaction(Signal, &Default, nullptr);
    ::raise(Signal);
    errno = SavedError;
}

void InstallHandlers() {
    sigemptyset(&Handled);
    sigset_t All;
    sigemptyset(&All);
    for (const int Signal : EndingSignals) {
        sigaddset(&All, Signal);
    }
    for (const int Signal : EndingSignals) {
        struct sigaction Current {};
        if (::sigaction(Signal, nullptr, &Current) != 0 || (Current.sa_flags & SA_SIGINFO) != 0 ||
            Current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction Handler {};
        Handler.sa_handler = RemoveNamesAndEnd;
        Handler.sa_mask = All;
        if (::sigaction(Signal, &Handler, nullptr) == 0) {
            sigaddset(&Handled, Signal);
        }
    }
}

// A thread that only waits, with the signals open, so that the kernel has a thread to hand
// them to while the threads that work hold them back.
void StartWatcher() {
    const std::lock_guard Starting(WatcherStart);
    if (WatchingProcess.load() == ::getpid()) {
        return;
    }
    std::thread([] {
        ::pthread_sigmask(SIG_UNBLOCK, &Handled, nullptr);
        for (;;) {
            ::pause();
        }
    }).detach();
    WatchingProcess = ::getpid();
}

}  // namespace

void InterruptCleanup::Remember(int Folder, const std::string& Name) {
    Forget();
    if (Name.size() >= sizeof Slots[0].Name) {
        return;
    }
    for (int At = 0; At < static_cast<int>(std::size(Slots)); ++At) {
        int Expected = Free;
        if (Slots[At].State.compare_exchange_strong(Expected, Filling)) {
            Slots[At].Folder = Folder;
            Name.copy(Slots[At].Name, Name.size());
            Slots[At].Name[Name.size()] = '\0';
            Slots[At].State.store(Ready, std::memory_order_release);
            Slot_ = At;
            return;
        }
    }
}

void InterruptCleanup::Forget() {
    if (Slot_ >= 0) {
        // A slot the handler took is left to it: the program is ending.
        int Expected = Ready;
        Slots[Slot_].State.compare_exchange_strong(Expected, Free);
        Slot_ = -1;
    }
}

RunSignalsHeld::RunSignalsHeld() {
    std::call_once(HandlersInstalled, InstallHandlers);
    StartWatcher();
    sigset_t Held = Handled;
    sigaddset(&Held, SIGXFSZ);
    ::pthread_sigmask(SIG_BLOCK, &Held, &Previous_);
}

RunSignalsHeld::~RunSignalsHeld() {
    if (sigismember(&Previous_, SIGXFSZ) == 0) {
        sigset_t FileSize;
        sigemptyset(&FileSize);
        sigaddset(&FileSize, SIGXFSZ);
        const timespec Now{0, 0};
        while (::sigtimedwait(&FileSize, nullptr, &Now) == SIGXFSZ) {
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &Previous_, nullptr);
}

InterruptsHeld::InterruptsHeld() {
    ++HeldSteps;
    // The program is ending: this thread waits for its end rather than start a step the
    // handler would not see.
    if (Ending.load()) {
        --HeldSteps;
        for (;;) {
            ::pause();
        }
    }
}

InterruptsHeld::~InterruptsHeld() {
    --HeldSteps;
}

}  // namespace quellmark
