// Work run in a child process, for tests that change what the process may do (limits, filters,
// users, mount namespaces) or that kill a run mid-way.
#pragma once

#include <functional>
#include <string>

namespace quellmark::test {

// Work running in a child process, started at once.
class Child {
  public:
    explicit Child(const std::function<std::string()>& Work);
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    // Waits for the child and returns what Work returned; empty if the child died first.
    std::string Wait();
    int Pid() const { return Process_; }
    // The child's wait status, once Wait returned.
    int Status() const { return Status_; }

  private:
    int Process_ = -1;
    int Pipe_ = -1;
    int Status_ = 0;
};

// In a child: /proc unmounted in a mount namespace of its own, as in a chroot or a small
// container. False where no namespace can be made (not root).
bool LeaveProc();

// Runs Work in a child process and returns what it returned; empty if the child died first.
std::string InChild(const std::function<std::string()>& Work);

}  // namespace quellmark::test
