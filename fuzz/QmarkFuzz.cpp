// SPDX-License-Identifier: MIT
// Feeds the bytes to "qmark block" as its JSON input and to "qmark header" as a declaration.
// Language, developer and date come from the command line, so no settings file or clock is
// read. block gives either a block (status 0) or one "qmark: " line (status 2); header gives
// the input back at the end of its output, alone when it fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/qmark/QmarkCli.h"

namespace {

int Run(const char* command, const char* language, const std::string& input, std::string& out,
        std::string& err) {
    std::istringstream in(input);
    std::ostringstream o, e;
    const int status =
        qm::RunQmark({command, "--language", language, "--developer", "x", "--date", "1998-12-06"}, in, o, e);
    out = o.str();
    err = e.str();
    return status;
}

bool OneMessageLine(const std::string& err) {
    return err.rfind("qmark: ", 0) == 0 && err.find('\n') == err.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    std::string o, e;
    const int status = Run("block", "0", input, o, e);
    if (status == 0) {
        if (!e.empty() || o.size() < 2 || o.compare(o.size() - 2, 2, "\r\n") != 0) std::abort();
    } else if (status != 2 || !o.empty() || !OneMessageLine(e)) {
        std::abort();
    }
    // An editor filtering a selection through header must never lose it.
    const int header = Run("header", size % 2 ? "1" : "0", input, o, e);
    if (header == 0) {
        if (!e.empty() || o.size() <= input.size() ||
            o.compare(o.size() - input.size(), input.size(), input) != 0)
            std::abort();
    } else if (header != 2 || o != input || !OneMessageLine(e)) {
        std::abort();
    }
    return 0;
}
