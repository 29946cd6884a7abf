// SPDX-License-Identifier: MIT
// Stands in for libFuzzer when it is not in use: runs the target once over each file named on
// the command line, or over standard input when none is, so the seeds run in every build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size);

namespace {

int runOne(std::istream& in, const char* name) {
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "cannot read %s\n", name);
        return 1;
    }
    // An empty string's data() is still a valid pointer, as libFuzzer hands over.
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return runOne(std::cin, "standard input");
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot open %s\n", argv[i]);
            status = 1;
            continue;
        }
        status |= runOne(in, argv[i]);
    }
    return status;
}
