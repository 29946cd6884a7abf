// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/qmark/SourceCommands.h"
#include "generator/CommentBlock.h"
#include "platform/DateTime.h"

namespace qm {

// The exit statuses, as --help, qmark(1) and the README list them.
inline constexpr int kExitOk = 0;        // done; check and update: every header in step
inline constexpr int kExitReported = 1;  // check and update: headers reported out of step
inline constexpr int kExitBadInput = 2;  // a bad command line or input, or a read or write failed

// A bad command line; reported with a pointer to --help.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandRow;

// What the command line asks for, filled by the option table's rows.
struct Request {
    const CommandRow* command = nullptr;
    bool help = false;
    bool version = false;
    std::optional<DevelopmentLanguage> language;
    std::optional<std::string> developer;
    std::optional<DateTime> date;
    std::optional<std::string> purpose;
    std::optional<std::string> style;  // --style: the house style over the style file's
    bool declaration = false;          // block reads a declaration, not JSON
    std::string firstDescriptionFlag;  // the first flag other than --purpose that describes
    ProcedureDescription description;
    std::vector<std::string> operands;  // arguments after the command, for commands that take them
    SourceOptions sources;              // check and update
};

// Runs one command: reads in, writes its result to out and any report to err. Returns the
// exit status; throws UsageError, InputError or FileError for the caller to report.
using CommandHandler = int (*)(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

// One subcommand: its name, its lines of the usage synopsis (after "qmark "), its help text
// (lines after the first start at the help column) and what runs it. A filter writes its
// input back unchanged whenever it fails, bad options included, so that an editor piping a
// selection through it never loses the selection.
struct CommandRow {
    std::string_view name;
    std::string_view synopsis;
    std::string_view help;
    CommandHandler run;
    bool takesOperands = false;
    bool filter = false;
};

// The largest standard input read: far beyond any description or note, and small enough
// that `qmark block < /dev/zero` stops at once.
inline constexpr std::size_t kMaxInputBytes = 8u << 20;

// Reads all of in into text; false past kMaxInputBytes, with text holding what was read by
// then. Throws runtime_error on a read failure. Holds no more than the text and one read
// block at any time.
bool ReadInputWithinCap(std::istream& in, std::string& text);
// All of in; throws InputError past kMaxInputBytes.
std::string ReadInput(std::istream& in);
// The InputError for input past kMaxInputBytes.
[[noreturn]] void ThrowInputTooLarge();
// Copies what is left of in to out unchanged.
void CopyRest(std::istream& in, std::ostream& out);

}  // namespace qm
