// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>

#include "app/qmark/Request.h"

namespace qm {

// qmark describe: the declaration on stdin as the JSON description that qmark block reads.
int RunDescribe(Request& request, std::istream& in, std::ostream& out, std::ostream& err);
// qmark header: the block for the declaration on stdin, each line indented like the
// declaration and ended like the input's lines, then the input unchanged. On any failure
// the input alone is written back and the error thrown on.
int RunHeader(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
