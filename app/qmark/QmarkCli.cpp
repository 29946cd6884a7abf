// SPDX-License-Identifier: MIT
#include "app/qmark/QmarkCli.h"

#include <algorithm>
#include <ostream>
#include <string_view>

#include "Version.h"
#include "app/qmark/BlockCommands.h"
#include "app/qmark/DeclarationCommands.h"
#include "app/qmark/InputError.h"
#include "app/qmark/LocateCommand.h"
#include "app/qmark/LspCommand.h"
#include "app/qmark/MessageText.h"
#include "app/qmark/ProcedureJson.h"
#include "app/qmark/SourceCommands.h"
#include "platform/SourceWalk.h"

namespace qm {
namespace {

// An argument quoted back in a message.
std::string Shown(std::string_view arg) { return QuoteForMessage(arg, '\''); }

// Only a settings file can hold another value, which then gives a block without a prefix.
std::optional<DevelopmentLanguage> ParseLanguage(std::string_view text) {
    if (text == "0") return kVisualBasic;
    if (text == "1") return kVisualCpp;
    return std::nullopt;
}

// A flag that describes the procedure; block then leaves standard input alone.
ProcedureDescription& Describing(Request& r, std::string_view flag) {
    if (r.firstDescriptionFlag.empty()) r.firstDescriptionFlag = flag;
    return r.description;
}

ParameterEntry& LatestParameter(Request& r, std::string_view flag) {
    ProcedureDescription& d = Describing(r, flag);
    if (d.parameters.empty()) {
        throw UsageError("option '" + std::string(flag) + "' must follow a --param");
    }
    return d.parameters.back();
}

const CommandRow kCommands[] = {
    {"block",
     "block [OPTION]... < description.json\n"
     "block --name NAME [--purpose TEXT] [--param NAME [--type TEXT]]... [OPTION]...\n"
     "block --declaration [--purpose TEXT] [OPTION]... < declaration",
     "a block for a Sub, Function or Property, described by a JSON\n"
     "object on standard input, by the flags below, or by a declaration",
     RunBlock},
    {"free", "free [OPTION]... < text",
     "a block framing the text read from standard input; LF, CR LF and\n"
     "CR each end a line, and a final line end adds no empty line",
     RunFree},
    {"describe", "describe [--language N] < declaration",
     "reads a Visual Basic or C++ procedure declaration from standard\n"
     "input and writes its description as the JSON that block reads",
     RunDescribe},
    {"header", "header [--purpose TEXT] [OPTION]... < declarations",
     "an editor filter: standard input with a block above each\n"
     "declaration in it, indented like it and with its line ends (LF or\n"
     "CR LF); with no declaration, or on any failure, the input alone\n"
     "comes back",
     RunHeader, false, true},
    {"check", "check [OPTION]... PATH...\ncheck [OPTION]... --stdin-filename PATH < text",
     "report the headers that are out of step with the declarations\n"
     "below them (exit 1); with --missing, procedures without one too",
     RunCheck, true},
    {"update", "update [OPTION]... PATH...", "bring those headers in step in place, adding a history line",
     RunUpdate, true},
    {"locate", "locate [--language N] LINE [LAST] < source",
     "the lines of the declaration around line LINE of the source\n"
     "on standard input (down to LAST), to filter through header;\n"
     "exit 2 when there is none or it has a header block already",
     RunLocate, true},
    {"lsp", "lsp [--language N] [--style NAME] [--developer NAME] [--date YYYY-MM-DD]",
     "a language server on standard input and output for editors that\n"
     "speak LSP: check's findings as diagnostics, header and update as\n"
     "code actions",
     RunLsp},
};

// Headings of --help; options are listed under their heading in the table's order.
constexpr std::string_view kDescribing =
    "Describing the procedure (block; standard input is not read when any is given):";
constexpr std::string_view kReading = "Reading a declaration (describe, header, block --declaration):";
constexpr std::string_view kSources =
    "Checking and updating (folders are walked for the source files listed below;\n"
    "--language overrides the extension):";
constexpr std::string_view kGeneral = "Options:";

// One option. commands lists the names of the commands it applies to, blank-separated;
// empty: every command. An empty valueName: the option takes no value.
struct OptionRow {
    std::string_view name;
    std::string_view valueName;
    std::string_view heading;
    std::string_view commands;
    std::string_view help;
    void (*apply)(Request& r, std::string_view flag, const std::string& value);
};

const OptionRow kOptions[] = {
    {"--name", "TEXT", kDescribing, "block", "the procedure's name",
     [](Request& r, std::string_view f, const std::string& v) { Describing(r, f).name = v; }},
    {"--purpose", "TEXT", kDescribing, "block header",
     "what it does, one line; header and --declaration take it too",
     [](Request& r, std::string_view, const std::string& v) { r.purpose = v; }},
    {"--returns", "TEXT", kDescribing, "block", "what it returns, one line",
     [](Request& r, std::string_view f, const std::string& v) { Describing(r, f).returns = v; }},
    {"--kind", "KIND", kDescribing, "block", "Sub (default), Function or Property",
     [](Request& r, std::string_view f, const std::string& v) {
         const auto kind = ParseKindName(v);
         if (kind == ProcedureKind::General) throw UsageError(std::string(kGeneralHasNoBlock));
         if (!kind) throw UsageError("invalid kind " + Shown(v) + " (use Sub, Function or Property)");
         Describing(r, f).kind = *kind;
     }},
    {"--access", "ACCESS", kDescribing, "block", "Public (default), Private, Protected or Friend",
     [](Request& r, std::string_view f, const std::string& v) {
         const auto access = ParseAccessName(v);
         if (!access) {
             throw UsageError("invalid access " + Shown(v) + " (use Public, Private, Protected or Friend)");
         }
         Describing(r, f).access = *access;
     }},
    {"--param", "NAME", kDescribing, "block",
     "adds a parameter; --type, --desc and --optional describe the\nlatest one",
     [](Request& r, std::string_view f, const std::string& v) {
         Describing(r, f).parameters.push_back({v, "No", {}, {}});
     }},
    {"--type", "TEXT", kDescribing, "block", "its type",
     [](Request& r, std::string_view f, const std::string& v) { LatestParameter(r, f).Type = v; }},
    {"--desc", "TEXT", kDescribing, "block", "its description",
     [](Request& r, std::string_view f, const std::string& v) { LatestParameter(r, f).Description = v; }},
    {"--optional", "", kDescribing, "block", "marks it Optional (shown under Visual Basic only)",
     [](Request& r, std::string_view f, const std::string&) { LatestParameter(r, f).Optional = "Yes"; }},
    {"--declaration", "", kReading, "block",
     "block reads a declaration instead of JSON; of the flags above\nonly --purpose goes with it",
     [](Request& r, std::string_view, const std::string&) { r.declaration = true; }},
    {"--format", "FORMAT", kSources, "check update", "text (FILE:LINE: warning: ...) or json",
     [](Request& r, std::string_view, const std::string& v) {
         if (v != "text" && v != "json")
             throw UsageError("invalid format " + Shown(v) + " (use text or json)");
         r.sources.json = v == "json";
     }},
    {"--dry-run", "", kSources, "update", "print a unified diff instead of writing",
     [](Request& r, std::string_view, const std::string&) { r.sources.dryRun = true; }},
    {"--missing", "", kSources, "check update",
     "also report procedures without a block; a remark\n\"qmark: ignore\" right above one leaves it out",
     [](Request& r, std::string_view, const std::string&) { r.sources.missing = true; }},
    {"--add-missing", "", kSources, "update",
     "also add a block above each Visual Basic procedure\nwithout one; never in C++ files",
     [](Request& r, std::string_view, const std::string&) { r.sources.addMissing = true; }},
    {"--note", "TEXT", kSources, "update", "the new history line's note; default \"Updated\"",
     [](Request& r, std::string_view, const std::string& v) { r.sources.note = v; }},
    {"--stdin-filename", "PATH", kSources, "block describe header check locate",
     "the file standard input belongs to: check reports it as\nPATH; its extension gives the language, and "
     "the style\nfile is looked for from its folder up (else from here)",
     [](Request& r, std::string_view, const std::string& v) { r.sources.stdinFilename = v; }},
    {"--language", "N", kGeneral, "",
     "0 Visual Basic ('), 1 Visual C++ (//), also the language a\ndeclaration is read in; default from the "
     "settings",
     [](Request& r, std::string_view, const std::string& v) {
         r.language = ParseLanguage(v);
         if (!r.language) {
             throw UsageError("invalid language " + Shown(v) +
                              " (use 0 for Visual Basic or 1 for Visual C++)");
         }
     }},
    {"--style", "NAME", kGeneral, "block describe header check update lsp",
     "the comment's style: box, doxygen, xmldoc or vbtags; default\nfrom the .quillmark style file, else box",
     [](Request& r, std::string_view, const std::string& v) { r.style = v; }},
    {"--developer", "NAME", kGeneral, "block free header update lsp",
     "the name in the History line; default from the settings,\nfor update else the account's full name",
     [](Request& r, std::string_view, const std::string& v) { r.developer = v; }},
    {"--date", "YYYY-MM-DD", kGeneral, "block free header update lsp",
     "the creation date (for update, the new history\nline's); default today",
     [](Request& r, std::string_view, const std::string& v) {
         r.date = ParseIsoDate(v);
         if (!r.date) throw UsageError("invalid date " + Shown(v) + " (a real day as YYYY-MM-DD)");
     }},
    {"--help", "", kGeneral, "", "show this help and exit",
     [](Request& r, std::string_view, const std::string&) { r.help = true; }},
    {"--version", "", kGeneral, "", "show the version and exit",
     [](Request& r, std::string_view, const std::string&) { r.version = true; }},
};

constexpr std::size_t kHelpColumn = 22;

// "  left" padded to the help column, then help with its later lines indented to it.
void AddHelpRow(std::string& out, std::string_view left, std::string_view help) {
    out += "  ";
    out += left;
    // A long option takes a line of its own, so every help text starts at the column.
    if (left.size() + 3 > kHelpColumn) out += '\n';
    out.append(kHelpColumn > left.size() + 2 ? kHelpColumn - left.size() - 2 : kHelpColumn, ' ');
    for (char c : help) {
        out += c;
        if (c == '\n') out.append(kHelpColumn, ' ');
    }
    out += '\n';
}

std::string CommandList(std::string_view lastJoin) {
    std::string out;
    const std::size_t count = std::size(kCommands);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += i + 1 == count ? lastJoin : ", ";
        out += kCommands[i].name;
    }
    return out;
}

std::string UsageText() {
    std::string out = "Usage: ";
    for (const CommandRow& c : kCommands) {
        for (std::size_t start = 0; start < c.synopsis.size();) {
            const std::size_t end = std::min(c.synopsis.find('\n', start), c.synopsis.size());
            if (out.size() > 7) out += "       ";
            out += "qmark ";
            out += c.synopsis.substr(start, end - start);
            out += '\n';
            start = end + 1;
        }
    }
    out +=
        "Writes a procedure header comment block to standard output, lines ended by CR LF\n"
        "(header: as the input's lines are).\n"
        "\nCommands:\n";
    for (const CommandRow& c : kCommands) AddHelpRow(out, c.name, c.help);
    std::vector<std::string_view> headings;
    for (const OptionRow& o : kOptions) {
        if (std::find(headings.begin(), headings.end(), o.heading) == headings.end())
            headings.push_back(o.heading);
    }
    for (std::string_view heading : headings) {
        out += '\n';
        out += heading;
        out += '\n';
        for (const OptionRow& o : kOptions) {
            if (o.heading != heading) continue;
            const std::string left =
                std::string(o.name) + (o.valueName.empty() ? "" : " ") + std::string(o.valueName);
            AddHelpRow(out, left, o.help);
        }
    }
    out += "\nSource files: Visual Basic " + SourceExtensions(kVisualBasic) + "\n              C++ " +
           SourceExtensions(kVisualCpp) + "\n";
    out += R"(
Each value is one argument: --name VALUE or --name=VALUE. "--" ends the options.

JSON description (every key may be left out):
  {"name": "", "purpose": "", "returns": "", "kind": "Sub", "access": "Public",
   "parameters": [{"name": "", "optional": "No", "type": "", "description": ""}]}

Settings: "Comments Type" and "Personal Name" in section [General] of
$XDG_CONFIG_HOME/quillmark/Qmark98.ini (default ~/.config/quillmark/Qmark98.ini).

Style file: the first .quillmark in the source file's folder or above it, e.g.
  [style]  cpp=doxygen (box doxygen xmldoc)  vb=vbtags (box xmldoc vbtags)
           opener=/** (/** /*! /// //!)  tag=@ (@ or \)  brief=yes  history=no
           trim=no (yes: no blanks at line ends)
  [check]  missing=no  undocumented=no  order=no  ignore=PATTERN...

Exit status:
  0  done; for check and update, every header in step
  1  headers out of step: reported by check, or left so by update
  2  a bad command line or bad input, a file or folder that could not be read or
     written (check and update go on with the others), or output that failed
)";
    return out;
}

bool AppliesTo(const OptionRow& option, std::string_view command) {
    if (option.commands.empty()) return true;
    for (std::size_t start = 0; start < option.commands.size();) {
        const std::size_t end = std::min(option.commands.find(' ', start), option.commands.size());
        if (option.commands.substr(start, end - start) == command) return true;
        start = end + 1;
    }
    return false;
}

// "'qmark block'", "'qmark block' and 'qmark header'", ...
std::string CommandNames(std::string_view names) {
    std::string out;
    for (std::size_t start = 0; start < names.size();) {
        const std::size_t end = std::min(names.find(' ', start), names.size());
        if (!out.empty()) out += end == names.size() ? " and " : ", ";
        out += "'qmark " + std::string(names.substr(start, end - start)) + "'";
        start = end + 1;
    }
    return out;
}

void SetCommand(Request& r, const std::string& arg) {
    if (r.command) {
        if (!r.command->takesOperands) throw UsageError("unexpected argument " + Shown(arg));
        r.operands.push_back(arg);
        return;
    }
    for (const CommandRow& c : kCommands) {
        if (arg == c.name) r.command = &c;
    }
    if (!r.command) {
        throw UsageError("unknown command " + Shown(arg) + " (use " + CommandList(" or ") + ")");
    }
}

// Fills r from args; r.command is set as soon as the command is seen, even when a later
// argument is refused.
void ParseArguments(const std::vector<std::string>& args, Request& r) {
    std::vector<const OptionRow*> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            SetCommand(r, arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string flag = arg.substr(0, equals);
        const OptionRow* option = nullptr;
        for (const OptionRow& o : kOptions) {
            if (flag == o.name) option = &o;
        }
        if (!option) throw UsageError("unknown option " + Shown(flag));
        std::string value;
        if (option->valueName.empty()) {
            if (equals != std::string::npos) throw UsageError("option '" + flag + "' takes no value");
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError("option '" + flag + "' needs a value");
        }
        option->apply(r, flag, value);
        if (r.help || r.version) return;
        given.push_back(option);
    }
    if (!r.command) throw UsageError("missing command (" + CommandList(" or ") + ")");
    for (const OptionRow* o : given) {
        if (!AppliesTo(*o, r.command->name)) {
            throw UsageError("option '" + std::string(o->name) + "' applies to " + CommandNames(o->commands) +
                             " only");
        }
    }
}

// The command args name, found without applying anything: a filter refusing its command
// line before reaching the command's name still hands its input back.
const CommandRow* FindCommand(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") continue;
        if (args[i].size() > 1 && args[i][0] == '-') {
            for (const OptionRow& o : kOptions) {
                if (args[i] == o.name && !o.valueName.empty()) ++i;  // skips its value
            }
            continue;
        }
        for (const CommandRow& c : kCommands) {
            if (args[i] == c.name) return &c;
        }
        return nullptr;
    }
    return nullptr;
}

}  // namespace

int RunQmark(std::vector<std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
    Request request;
    try {
        ParseArguments(args, request);
        int status = kExitOk;
        if (request.help) {
            out << UsageText();
        } else if (request.version) {
            out << "qmark (Quillmark 98) " << kVersionString << '\n';
        } else {
            status = request.command->run(request, in, out, err);
        }
        out.flush();
        if (!out) {
            err << "qmark: cannot write to standard output\n";
            return kExitBadInput;
        }
        return status;
    } catch (const UsageError& e) {
        const CommandRow* command = request.command ? request.command : FindCommand(args);
        if (command && command->filter) {
            CopyRest(in, out);
            out.flush();
        }
        err << "qmark: " << e.what() << "\nTry 'qmark --help'.\n";
        return kExitBadInput;
    } catch (const InputError& e) {
        err << "qmark: " << e.what() << '\n';
        return kExitBadInput;
    } catch (const std::exception& e) {
        err << "qmark: " << e.what() << '\n';
        return kExitBadInput;
    }
}

}  // namespace qm
