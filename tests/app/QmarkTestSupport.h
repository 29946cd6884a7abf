// SPDX-License-Identifier: MIT
#pragma once
#include <fstream>
#include <sstream>
#include <string>

namespace qm::test {

inline std::string ReadBytes(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline std::string ReadGolden(const std::string& name) {
    return ReadBytes(std::string(QM_TEST_DATA_DIR) + "/" + name);
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
