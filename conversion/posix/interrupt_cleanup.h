// Temporary names that must not outlive the program when it is ended by SIGINT, SIGTERM or
// SIGHUP (Ctrl-C, kill, a closed terminal), where a folder has no unnamed files.
#pragma once

#include <signal.h>

#include <string>

namespace quellmark {

// One temporary name at a time, removed if one of those signals ends the program while it is
// remembered. The handler is installed on first use, for each signal whose action is still
// the default one (a program that handles or ignores a signal keeps doing so), and then ends
// the program as the default action would.
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

// Holds those signals back from this thread while it lives, so that a step once begun (a link
// and the rename after it) is finished before a signal ends the program.
class InterruptsHeld {
  public:
    InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
    ~InterruptsHeld();

  private:
    sigset_t Previous_{};
};

}  // namespace quellmark
