#include "tests/support/device_nodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quellmark::test {

bool MakeDevice(const std::string& Folder, const std::string& Name) {
    const unsigned Minor = Name == "null" ? 3 : Name == "zero" ? 5 : Name == "full" ? 7 : 0;
    const std::string Path = Folder + "/" + Name;
    if (Minor == 0 || ::mknod(Path.c_str(), S_IFCHR | 0666, makedev(1, Minor)) != 0) {
        return false;
    }
    // A folder mounted nodev keeps the node but refuses to open it.
    const int Opened = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (Opened < 0) {
        ::unlink(Path.c_str());
        return false;
    }
    ::close(Opened);
    return true;
}

}  // namespace quellmark::test
