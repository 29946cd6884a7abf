// SPDX-License-Identifier: MIT
#include "app/qmark/QmarkCli.h"

#include <charconv>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string_view>

#include "Version.h"
#include "app/qmark/InputError.h"
#include "app/qmark/MessageText.h"
#include "app/qmark/ProcedureJson.h"
#include "generator/CommentBlock.h"
#include "settings/FreeTextBlock.h"
#include "platform/DateTime.h"
#include "platform/FileError.h"
#include "settings/Settings.h"

namespace qm {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;

constexpr std::string_view kUsage =
    R"(Usage: qmark block [OPTION]... < description.json
       qmark block --name NAME [--purpose TEXT] [--param NAME [--type TEXT]]... [OPTION]...
       qmark free [OPTION]... < text
Writes a procedure header comment block to standard output, lines ended by CR LF.

Commands:
  block               a block for a Sub, Function or Property, described by a JSON
                      object on standard input or by the flags below
  free                a block framing the text read from standard input; LF, CR LF and
                      CR each end a line, and a final line end adds no empty line

Describing the procedure (block; standard input is not read when any is given):
  --name TEXT         the procedure's name
  --purpose TEXT      what it does, one line
  --returns TEXT      what it returns, one line
  --kind KIND         Sub (default), Function or Property
  --access ACCESS     Public (default), Private or Protected
  --param NAME        adds a parameter; --type, --desc and --optional describe the
                      latest one
  --type TEXT         its type
  --desc TEXT         its description
  --optional          marks it Optional (shown under Visual Basic only)

Options:
  --language N        0 Visual Basic ('), 1 Visual C++ (//); default from the settings
  --developer NAME    the name in the History line; default from the settings
  --date YYYY-MM-DD   the creation date; default today
  --help              show this help and exit
  --version           show the version and exit

Each value is one argument: --name VALUE or --name=VALUE.

JSON description (every key may be left out):
  {"name": "", "purpose": "", "returns": "", "kind": "Sub", "access": "Public",
   "parameters": [{"name": "", "optional": "No", "type": "", "description": ""}]}

Settings: "Comments Type" and "Personal Name" in section [General] of
$XDG_CONFIG_HOME/quillmark/Qmark98.ini (default ~/.config/quillmark/Qmark98.ini).

Exit status: 0 done, 1 a file or output failure, 2 a bad command line or bad input.
)";

// A bad command line; reported with a pointer to --help.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { None, Block, Free };

struct Request {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    std::optional<DevelopmentLanguage> language;
    std::optional<std::string> developer;
    std::optional<DateTime> date;
    std::string firstDescriptionFlag;  // empty: the description comes from stdin
    ProcedureDescription description;
};

// An argument quoted back in a message.
std::string Shown(std::string_view arg) {
    return QuoteForMessage(arg, '\'');
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ParseDigits(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
}

// YYYY-MM-DD naming a real day of the calendar.
std::optional<DateTime> ParseDate(std::string_view text) {
    DateTime date;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        !ParseDigits(text.substr(0, 4), date.year) || !ParseDigits(text.substr(5, 2), date.month) ||
        !ParseDigits(text.substr(8, 2), date.day)) {
        return std::nullopt;
    }
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

std::optional<DevelopmentLanguage> ParseLanguage(std::string_view text) {
    DevelopmentLanguage value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

ProcedureKind ParseKindFlag(std::string_view text) {
    if (text == "Sub") return ProcedureKind::Sub;
    if (text == "Function") return ProcedureKind::Function;
    if (text == "Property") return ProcedureKind::Property;
    if (text == "General") {
        throw UsageError(
            "the kind General has no structured block; use 'qmark free' for free text");
    }
    throw UsageError("invalid kind " + Shown(text) + " (use Sub, Function or Property)");
}

AccessLevel ParseAccessFlag(std::string_view text) {
    if (text == "Public") return AccessLevel::Public;
    if (text == "Private") return AccessLevel::Private;
    if (text == "Protected") return AccessLevel::Protected;
    throw UsageError("invalid access " + Shown(text) + " (use Public, Private or Protected)");
}

bool TakesValue(std::string_view flag) {
    for (std::string_view f : {"--name", "--purpose", "--returns", "--kind", "--access",
                               "--param", "--type", "--desc", "--language", "--developer",
                               "--date"}) {
        if (flag == f) return true;
    }
    return false;
}

bool TakesNoValue(std::string_view flag) {
    return flag == "--optional" || flag == "--help" || flag == "--version";
}

ParameterEntry& LatestParameter(Request& r, std::string_view flag) {
    if (r.description.parameters.empty()) {
        throw UsageError("option '" + std::string(flag) + "' must follow a --param");
    }
    return r.description.parameters.back();
}

// Applies one option; returns false for --help and --version, which end the parsing.
bool ApplyOption(Request& r, std::string_view flag, const std::string& value) {
    if (flag == "--help" || flag == "--version") {
        (flag == "--help" ? r.help : r.version) = true;
        return false;
    }
    if (flag == "--language") {
        r.language = ParseLanguage(value);
        if (!r.language) {
            throw UsageError("invalid language " + Shown(value) +
                             " (an integer: 0 Visual Basic, 1 Visual C++)");
        }
        return true;
    }
    if (flag == "--developer") {
        r.developer = value;
        return true;
    }
    if (flag == "--date") {
        r.date = ParseDate(value);
        if (!r.date) {
            throw UsageError("invalid date " + Shown(value) + " (a real day as YYYY-MM-DD)");
        }
        return true;
    }

    if (r.firstDescriptionFlag.empty()) r.firstDescriptionFlag = flag;
    ProcedureDescription& d = r.description;
    if (flag == "--name") d.name = value;
    else if (flag == "--purpose") d.purpose = value;
    else if (flag == "--returns") d.returns = value;
    else if (flag == "--kind") d.kind = ParseKindFlag(value);
    else if (flag == "--access") d.access = ParseAccessFlag(value);
    else if (flag == "--param") d.parameters.push_back({value, "No", {}, {}});
    else if (flag == "--type") LatestParameter(r, flag).Type = value;
    else if (flag == "--desc") LatestParameter(r, flag).Description = value;
    else if (flag == "--optional") LatestParameter(r, flag).Optional = "Yes";
    return true;
}

Request ParseArguments(const std::vector<std::string>& args) {
    Request r;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            if (r.command != Command::None) throw UsageError("unexpected argument " + Shown(arg));
            if (arg == "block") r.command = Command::Block;
            else if (arg == "free") r.command = Command::Free;
            else throw UsageError("unknown command " + Shown(arg) + " (use block or free)");
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string flag = arg.substr(0, equals);
        std::string value;
        if (TakesValue(flag)) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError("option '" + flag + "' needs a value");
            }
        } else if (TakesNoValue(flag)) {
            if (equals != std::string::npos) {
                throw UsageError("option '" + flag + "' takes no value");
            }
        } else {
            throw UsageError("unknown option " + Shown(flag));
        }
        if (!ApplyOption(r, flag, value)) return r;
    }
    if (r.command == Command::None) throw UsageError("missing command (block or free)");
    if (r.command == Command::Free && !r.firstDescriptionFlag.empty()) {
        throw UsageError("option '" + r.firstDescriptionFlag + "' applies to 'qmark block' only");
    }
    return r;
}

std::string ReadAll(std::istream& in) {
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw std::runtime_error("cannot read standard input");
    return text;
}

// A line break inside a field would leave a line without the remark prefix, which breaks
// the source code the block is pasted into.
void RequireOneLine(std::string_view what, std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        throw InputError(std::string(what) +
                         " holds a line break; each field is one line of the block");
    }
}

void RequireOneLineFields(const ProcedureDescription& d) {
    RequireOneLine("the name", d.name);
    RequireOneLine("the purpose", d.purpose);
    RequireOneLine("the returns text", d.returns);
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        const ParameterEntry& p = d.parameters[i];
        const std::string where = "parameter " + std::to_string(i + 1);
        RequireOneLine(where + "'s name", p.Name);
        RequireOneLine(where + "'s type", p.Type);
        RequireOneLine(where + "'s description", p.Description);
    }
}

// Every LF, CR LF and lone CR becomes CR LF, as the dialog's text box hands its text over.
// A final line end only ends the last line, as in any text file, so it is dropped.
std::string NormaliseLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return out;
}

// Fills the language and developer name the command line left open from the settings file.
void CompleteFromSettings(Request& r, bool needDeveloper) {
    if (r.language && (r.developer || !needDeveloper)) return;
    LoadSettings();
    if (!r.language) r.language = TheSettings().CommentsType;
    if (!r.developer) r.developer = TheSettings().PersonalName;
}

std::string Generate(Request& r, std::istream& in) {
    if (r.command == Command::Free) {
        const std::string text = NormaliseLineEnds(ReadAll(in));
        CompleteFromSettings(r, false);
        return BuildFreeTextBlock(text, *r.language);
    }
    if (r.firstDescriptionFlag.empty()) r.description = ParseProcedureJson(ReadAll(in));
    RequireOneLineFields(r.description);
    if (r.developer) RequireOneLine("the developer name", *r.developer);
    CompleteFromSettings(r, true);
    return BuildCommentBlock(r.description, *r.language, *r.developer,
                             r.date ? *r.date : LocalNow());
}

}  // namespace

int RunQmark(std::vector<std::string> args, std::istream& in, std::ostream& out,
             std::ostream& err) {
    try {
        Request request = ParseArguments(args);
        if (request.help) {
            out << kUsage;
        } else if (request.version) {
            out << "qmark (Quillmark 98) " << kVersionString << '\n';
        } else {
            const std::string block = Generate(request, in);
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
        out.flush();
        if (!out) {
            err << "qmark: cannot write to standard output\n";
            return kExitFailure;
        }
        return kExitOk;
    } catch (const UsageError& e) {
        err << "qmark: " << e.what() << "\nTry 'qmark --help'.\n";
        return kExitBadInput;
    } catch (const InputError& e) {
        err << "qmark: " << e.what() << '\n';
        return kExitBadInput;
    } catch (const FileError& e) {
        err << "qmark: " << e.what() << '\n';
        return kExitFailure;
    } catch (const std::exception& e) {
        err << "qmark: " << e.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace qm
