#pragma once

#include <string>

// A new empty folder under the test's temporary directory; the name starts with prefix.
std::string TempFolder(const std::string& prefix = "tolvane_test");
