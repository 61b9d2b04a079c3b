#include "tests/support/system_call_filter.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <vector>

namespace quellmark::test {

bool RefuseSystemCalls(std::initializer_list<RefusedCall> Calls) {
    std::vector<sock_filter> Filter;
    for (const auto& Call : Calls) {
        const bool ByArgument = Call.ThirdArgument != 0;
        Filter.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
        Filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(Call.Number), 0,
                                  static_cast<__u8>(ByArgument ? 3 : 1)));
        if (ByArgument) {
            Filter.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])));
            Filter.push_back(
                BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, static_cast<__u32>(Call.ThirdArgument), 0, 1));
        }
        Filter.push_back(
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<__u32>(Call.Error)));
    }
    Filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog Program{static_cast<unsigned short>(Filter.size()), Filter.data()};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &Program) == 0;
}

RefusedCall UnnamedFilesRefused() {
    return {__NR_openat, EOPNOTSUPP, O_TMPFILE & ~O_DIRECTORY};
}

}  // namespace quellmark::test
