// SPDX-License-Identifier: MIT
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "app/qmark/Request.h"
#include "settings/HouseStyle.h"

namespace qm {

// The house style for the request: the style file above --stdin-filename's file (else above
// the current folder), with --style over it. Throws InputError for a malformed style file or
// an unknown style, and for a style that does not write request's language.
std::shared_ptr<const HouseStyle> RequestHouseStyle(Request& request);

// The comment for request.description in the house style, CR LF line ends; the box is
// BuildBlock's. declaration, when the description was read from one, gives the template
// parameters, and a return line is written when it returns a value; otherwise when the
// description returns something or is a Function. Throws InputError as BuildBlock does.
std::string BuildHouseBlock(Request& request, std::string_view declaration = {});

// The description of the declaration in text, with the purpose, parameter descriptions and
// returns of the house-style comment that text starts with, when there is one.
ProcedureDescription DescribeWithComment(Request& request, std::string_view text);

}  // namespace qm
