#include <sys/mman.h>
#include <unistd.h>

#include "tests/support/page_end_bytes.h"

namespace quellmark {

PageEndBytes::PageEndBytes() : Page_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    Memory_ = static_cast<char*>(
        mmap(nullptr, 2 * Page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(Memory_ + Page_, Page_, PROT_NONE);
}

PageEndBytes::~PageEndBytes() {
    munmap(Memory_, 2 * Page_);
}

}  // namespace quellmark
