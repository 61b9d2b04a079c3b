// Temporary names that must not outlive the program when a signal ends it (Ctrl-C, Ctrl-\, kill,
// a closed terminal: SIGINT, SIGQUIT, SIGTERM, SIGHUP), where a folder has no unnamed files;
// and runs that such a signal ends at once, even in a read from a network folder that hangs.
#pragma once

#include <signal.h>

#include <string>

namespace quellmark {

// One temporary name at a time, removed if one of those signals ends the program while it is
// remembered.
class InterruptCleanup {
  public:
    InterruptCleanup() = default;
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
    ~InterruptCleanup() { Forget(); }

    // Remembers Name in the folder open at Folder, in place of any name remembered before.
    void Remember(int Folder, const std::string& Name);

    // From now on the name is left alone: it is gone, or it is the final name.
    void Forget();

  private:
    int Slot_ = -1;
};

// While it lives, the calling thread holds those signals back, and a small thread of the
// program's own takes them instead: a thread blocked in the kernel (a dead sshfs, a stuck NAS)
// gives way only to a signal that ends the program, which a handler in that thread could not
// do. The handler removes the remembered names and ends the program as the default action
// would. It is installed, once, only for the signals whose action is still the default one:
// a program that ignores SIGHUP (nohup) or handles a signal itself keeps doing so.
// The thread also holds back SIGXFSZ, so that a write past the file size limit fails with
// EFBIG instead of ending the program; the signal such a write raised is taken back before
// the thread lets it through again. Only this thread's mask changes: tracks in other threads
// and the program's own disposition are left as they are.
class RunSignalsHeld {
  public:
    RunSignalsHeld();
    RunSignalsHeld(const RunSignalsHeld&) = delete;
    RunSignalsHeld& operator=(const RunSignalsHeld&) = delete;
    ~RunSignalsHeld();

  private:
    sigset_t Previous_{};
};

// While it lives, a signal that ends the program waits (a short while at most) for the step
// it guards to finish: a file's creation and the note of its name, or a hidden name and the
// rename to the final one, so that no file is left with a name nobody remembers, nor a
// complete hidden copy.
class InterruptsHeld {
  public:
    InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
    ~InterruptsHeld();
};

}  // namespace quellmark
