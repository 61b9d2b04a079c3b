#include "conversion/temporary_name.h"

#include <random>

namespace quellmark {

std::string MakeTemporaryName() {
    static thread_local std::mt19937_64 Random{std::random_device{}()};
    static const char Digits[] = "0123456789abcdef";
    std::string Name = ".quellmark-000000000000";
    for (auto At = Name.size() - 12; At < Name.size(); ++At) {
        Name[At] = Digits[Random() % 16];
    }
    return Name;
}

}  // namespace quellmark
