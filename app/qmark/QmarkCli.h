// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace qm {

// The command-line generator. args are the arguments after the program's name; in holds
// what the command reads (a JSON description, free text or a declaration). Blocks go to
// out byte for byte, CR LF line ends included (header: the input's line ends); messages go
// to err as single lines starting "qmark: ". Returns the exit status: 0 done, 1 a file,
// settings or output failure, 2 a bad command line or bad input.
int RunQmark(std::vector<std::string> args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
