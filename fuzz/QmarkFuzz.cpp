// SPDX-License-Identifier: MIT
// Feeds the bytes to "qmark block" as its JSON input. Language, developer and date come
// from the command line, so no settings file or clock is read. Either a block comes out
// (status 0) or one "qmark: " line (status 2); nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/qmark/QmarkCli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(bytes), size));
    std::ostringstream out;
    std::ostringstream err;
    const int status = qm::RunQmark(
        {"block", "--language", "0", "--developer", "x", "--date", "1998-12-06"}, in, out, err);
    const std::string o = out.str();
    const std::string e = err.str();
    if (status == 0) {
        if (!e.empty() || o.size() < 2 || o.compare(o.size() - 2, 2, "\r\n") != 0) std::abort();
    } else if (status == 2) {
        if (!o.empty() || e.rfind("qmark: ", 0) != 0 || e.find('\n') != e.size() - 1) std::abort();
    } else {
        std::abort();
    }
    return 0;
}
