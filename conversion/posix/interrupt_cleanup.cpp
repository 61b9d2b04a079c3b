#include "conversion/posix/interrupt_cleanup.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace quellmark {
namespace {

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The handler may only read what is ready before it runs: fixed slots, each marked ready
// with an atomic store once its folder and name are filled in.
enum SlotState : int { Free, Filling, Ready };
struct Slot {
    std::atomic<int> State{Free};
    int Folder = -1;
    char Name[64] = {};
};
Slot Slots[32];

void RemoveNamesAndEnd(int Signal) {
    const int SavedError = errno;
    for (auto& Entry : Slots) {
        if (Entry.State.load(std::memory_order_acquire) == Ready) {
            ::unlinkat(Entry.Folder, Entry.Name, 0);
        }
    }
    // The signal is blocked while its handler runs: raised again under the default action,
    // it ends the program as soon as the handler returns, with the status the caller expects.
    struct sigaction Default {};
    Default.sa_handler = SIG_DFL;
    ::sigaction(Signal, &Default, nullptr);
    ::raise(Signal);
    errno = SavedError;
}

sigset_t EndingSignalSet() {
    sigset_t Set;
    sigemptyset(&Set);
    for (const int Signal : EndingSignals) {
        sigaddset(&Set, Signal);
    }
    return Set;
}

void InstallHandlers() {
    for (const int Signal : EndingSignals) {
        struct sigaction Current {};
        if (::sigaction(Signal, nullptr, &Current) != 0 || (Current.sa_flags & SA_SIGINFO) != 0 ||
            Current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction Handler {};
        Handler.sa_handler = RemoveNamesAndEnd;
        Handler.sa_mask = EndingSignalSet();
        ::sigaction(Signal, &Handler, nullptr);
    }
}

}  // namespace

void InterruptCleanup::Remember(int Folder, const std::string& Name) {
    Forget();
    static std::once_flag Installed;
    std::call_once(Installed, InstallHandlers);
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
        Slots[Slot_].State.store(Free, std::memory_order_release);
        Slot_ = -1;
    }
}

InterruptsHeld::InterruptsHeld() {
    const sigset_t Set = EndingSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &Set, &Previous_);
}

InterruptsHeld::~InterruptsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &Previous_, nullptr);
}

}  // namespace quellmark
