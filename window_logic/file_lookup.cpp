#include "window_logic/file_lookup.h"

#include <filesystem>

#include "conversion/files/path_syntax.h"

namespace quellmark {

FileLookup SystemFileLookup() {
    return {[](const std::string& Path) {
                std::error_code Error;
                const auto Status = std::filesystem::symlink_status(FilesystemPathOf(Path), Error);
                return !Error && Status.type() != std::filesystem::file_type::not_found;
            },
            [](const std::string& Path) {
                std::error_code Error;
                return std::filesystem::is_directory(FilesystemPathOf(Path), Error);
            }};
}

}  // namespace quellmark
