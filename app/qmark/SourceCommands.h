// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

// What `qmark check` and `qmark update` were asked to do.
struct SourceOptions {
    bool update = false;
    std::vector<std::string> paths{};
    std::optional<DevelopmentLanguage> language{};  // else by each file's extension
    bool json = false;
    bool dryRun = false;
    bool addMissing = false;
    bool missing = false;  // also report procedures without a block
    std::string style{};   // --style: the house style over each file's style file
    std::string note = "Updated";
    std::string developer{};
    DateTime date{};
    std::optional<std::string> stdinFilename{};  // check the text stdinText under this name
    std::string stdinText{};
};

// Walks the paths (platform's WalkSources: folders for the source extensions, hidden folders
// skipped, symbolic links met in folders not followed), reads each file once and reports
// `FILE:LINE: warning: …` lines (or a JSON array) on out and a one-line summary on err; update
// rewrites stale blocks through GuardedFile, or prints a unified diff with dryRun. A fix is
// reported as made only once its file is written. Returns 0 all in step, 1 something left out
// of step, 2 a path that could not be read or written (reported, the walk goes on).
int RunSourceCommand(const SourceOptions& options, std::ostream& out, std::ostream& err);

struct Request;
// qmark check and qmark update: the request's paths and options to RunSourceCommand, the
// developer name from the settings unless given. Throws UsageError for a bad combination.
int RunCheck(Request& request, std::istream& in, std::ostream& out, std::ostream& err);
int RunUpdate(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
