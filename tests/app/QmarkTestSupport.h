// SPDX-License-Identifier: MIT
#pragma once
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace qm::test {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline std::string ReadGolden(const std::string& name) {
    return ReadBytes(std::string(QM_TEST_DATA_DIR) + "/" + name);
}

// A fresh directory below $TMPDIR (the test sandbox's own).
inline std::string MakeScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp/") + "/qmark-test-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
}

inline const char* kWorkedExampleJson = R"({
  "name": "GetTotal", "purpose": "Adds up the lines of one order",
  "returns": "Currency; the order total", "kind": "Function", "access": "Public",
  "parameters": [
    {"name": "OrderID", "optional": "No", "type": "Long", "description": "Order to total"},
    {"name": "IncludeTax", "optional": "Yes", "type": "Boolean", "description": "Add sales tax"}
  ]
})";

}  // namespace qm::test
