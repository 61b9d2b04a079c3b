// The start of every test program on Linux: the tests run under a limit on the size of any file
// they write, so that a fault which writes without end fails its row within seconds instead of
// filling the disk, and a crash leaves no core file behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

int main(int argc, char** argv) {
    // Four times the largest file a row writes (a 64 MB line).
    const rlimit FileSize{256u << 20, 256u << 20};
    const rlimit NoCore{0, 0};
    setrlimit(RLIMIT_FSIZE, &FileSize);
    setrlimit(RLIMIT_CORE, &NoCore);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
