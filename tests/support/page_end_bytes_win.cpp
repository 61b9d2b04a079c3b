#include <windows.h>

#include "tests/support/page_end_bytes.h"

namespace quellmark {

PageEndBytes::PageEndBytes() {
    SYSTEM_INFO System{};
    GetSystemInfo(&System);
    Page_ = System.dwPageSize;
    Memory_ = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * Page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD Old = 0;
    VirtualProtect(Memory_ + Page_, Page_, PAGE_NOACCESS, &Old);
}

PageEndBytes::~PageEndBytes() {
    VirtualFree(Memory_, 0, MEM_RELEASE);
}

}  // namespace quellmark
