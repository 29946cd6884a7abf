// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>

#include "app/qmark/Request.h"

namespace qm {

// qmark locate LINE [LAST]: the source text on stdin; writes "FIRST LAST" (counted from 1), the
// lines of the whole declaration that line LINE belongs to, down to LAST when that is further,
// for an editor to filter through qmark header. Throws InputError when there is no declaration
// at LINE, or when one of our blocks already stands above a declaration of those lines (qmark
// update is then the way to bring that block in step).
int RunLocate(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
