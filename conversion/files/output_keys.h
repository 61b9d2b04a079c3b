// Where the outputs of a list go, as their folders compare names: two paths get a key in
// common whenever the system would take them for one file, so that a list can refuse to write
// one file twice before anything is written. Names are folded where the folder ignores case
// or is of a kind not known to tell case apart; links are followed; an existing file is also
// known by its identity where the system gives identities that mean something. The keys can
// err only towards taking two files for one. Every system has its own.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/files/file_identity.h"

namespace quellmark {

class OutputKeys {
  public:
    OutputKeys();
    OutputKeys(const OutputKeys&) = delete;
    OutputKeys& operator=(const OutputKeys&) = delete;
    ~OutputKeys();

    // The keys of the file Path names as an output. Each folder is looked at once.
    std::vector<std::string> Of(const std::string& Path);
    // The key of the file Path leads to by its identity; empty when it has none that means
    // something. Identity, where given, receives the file's identity whenever it exists.
    std::string OfFile(const std::string& Path, std::optional<FileIdentity>* Identity = nullptr);

    class Folders;

  private:
    std::unique_ptr<Folders> Folders_;
};

}  // namespace quellmark
