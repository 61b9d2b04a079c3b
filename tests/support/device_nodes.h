// Devices of a test's own, made in its folder, so that a row about devices never acts on the
// machine's own /dev, whatever the code under test does wrong.
#pragma once

#include <string>

namespace quellmark::test {

// Makes Folder/Name the device that /dev/Name is (null, zero or full). False where this user
// may not make devices (not root) or the folder's filesystem refuses them.
bool MakeDevice(const std::string& Folder, const std::string& Name);

}  // namespace quellmark::test
