// SPDX-License-Identifier: MIT
#include <clocale>
#include <iostream>

#include "app/qmark/QmarkCli.h"
#include "settings/FreeTextBlock.h"

int main(int argc, char** argv) {
    // The month abbreviation is all that follows the locale; loading every category made a
    // run a sixth slower.
    std::setlocale(LC_TIME, "");
    // POSIX streams have no text mode, so the block's CR LF reach stdout untouched.
    std::ios::sync_with_stdio(false);
    qm::RemoveScratchFileOnSignals();
    return qm::RunQmark({argv + 1, argv + argc}, std::cin, std::cout, std::cerr);
}
