// SPDX-License-Identifier: MIT
#include "tests/support/TestData.h"

#include <fstream>
#include <sstream>

namespace qm::test {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "cannot read " << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ReadGolden(const std::string& name) {
    return FileBytes(std::string(QM_TEST_DATA_DIR) + "/" + name);
}

}  // namespace qm::test
