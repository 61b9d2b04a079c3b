// Makes chosen system calls fail in this process from now on, as a faulty disk or a limited
// filesystem would make them fail. Irreversible: use it in a child process.
#pragma once

#include <initializer_list>

namespace quellmark::test {

struct RefusedCall {
    long Number;                      // __NR_…
    int Error;                        // the errno it then fails with
    unsigned long ThirdArgument = 0;  // if set, only calls whose third argument has these bits
};

// False when the filter cannot be installed.
bool RefuseSystemCalls(std::initializer_list<RefusedCall> Calls);

// openat(2) with O_TMPFILE, refused as on a filesystem without unnamed files.
RefusedCall UnnamedFilesRefused();

}  // namespace quellmark::test
