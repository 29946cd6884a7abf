// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>

#include "app/qmark/Request.h"

namespace qm {

// qmark describe: the declaration on stdin as the JSON description that qmark block reads.
int RunDescribe(Request& request, std::istream& in, std::ostream& out, std::ostream& err);
// qmark header: the input with a block above each declaration in it, each block's lines
// indented and ended like its declaration's first line, every input line kept. When none of
// it is a declaration, or on any other failure, the input alone is written back and the
// error thrown on.
int RunHeader(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
