#include <cstring>

#include "conversion/system_error_text.h"

namespace quellmark {

std::string SystemErrorText(long Code) {
    return std::strerror(static_cast<int>(Code));
}

}  // namespace quellmark
