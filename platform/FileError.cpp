// SPDX-License-Identifier: MIT
#include "platform/FileError.h"

#include <cstring>

namespace qm {

FileError::FileError(const std::string& action, const std::string& path, int errorNumber)
    : std::runtime_error(action + " " + path + ": " + std::strerror(errorNumber)),
      m_errorNumber(errorNumber),
      m_path(path) {}

}  // namespace qm
