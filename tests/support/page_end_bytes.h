// Bytes that end where readable memory ends, so that a scan reading past them faults.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace quellmark {

class PageEndBytes {
  public:
    PageEndBytes();
    PageEndBytes(const PageEndBytes&) = delete;
    PageEndBytes& operator=(const PageEndBytes&) = delete;
    ~PageEndBytes();

    // Bytes copied to end at the unreadable page; at most a page of them.
    std::string_view Place(const std::string& Bytes) {
        char* Start = Memory_ + Page_ - Bytes.size();
        std::copy(Bytes.begin(), Bytes.end(), Start);
        return {Start, Bytes.size()};
    }

  private:
    std::size_t Page_ = 0;
    char* Memory_ = nullptr;
};

}  // namespace quellmark
