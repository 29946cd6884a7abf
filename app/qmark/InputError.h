// SPDX-License-Identifier: MIT
#pragma once
#include <stdexcept>

namespace qm {

// Standard input that qmark cannot turn into a block; what() is one line, without "qmark: ".
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace qm
