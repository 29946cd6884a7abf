// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace qm {

// Gives the open file `to` the owner, group, mode and every extended attribute of the open
// file `from` (the ACL, stored as system.posix_acl_access, among them), removes attributes
// `from` lacks, and reads them back. Empty when `to` now matches `from`, else why it does not
// ("cannot keep its owner: Operation not permitted"); `to` is then to be thrown away.
// Call it after the content is written: a write by a non-root user clears set-id bits.
std::string CopyMetadata(int from, int to);

}  // namespace qm
