// What the window logic asks of the files a user names: whether anything has the name, and
// whether it is a folder. The windows use the system's answers; tests give their own.
#pragma once

#include <functional>
#include <string>

namespace quellmark {

struct FileLookup {
    // Anything, even a symbolic link to nothing.
    std::function<bool(const std::string& Path)> Exists;
    // A folder, links followed.
    std::function<bool(const std::string& Path)> IsFolder;
};

// The system's answers.
FileLookup SystemFileLookup();

}  // namespace quellmark
