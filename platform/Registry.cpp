// SPDX-License-Identifier: MIT
#include "platform/Registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/AtomicFile.h"
#include "platform/Directories.h"
#include "platform/Text.h"

namespace qm {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
// Hex data lines wrap before this column, as exported files do.
constexpr std::size_t kHexLineWidth = 76;
// Not in the public header: the program's callers never pass bad arguments, but other code might.
constexpr long kErrorInvalidParameter = 87;
constexpr std::size_t kMaxValueNameLength = 16383;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

// Reads a quoted string at the start of s (escapes \\ and \"), leaving s after the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') break;
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            out.push_back(s[++i]);
        } else {
            out.push_back(c);
        }
    }
    if (i >= s.size()) return std::nullopt;
    s.remove_prefix(i + 1);
    return out;
}

// Comma-separated bytes; blanks around them and one trailing comma are tolerated.
std::optional<std::vector<unsigned char>> ParseHexBytes(std::string_view s) {
    std::vector<unsigned char> bytes;
    s = Trim(s);
    if (s.empty()) return bytes;
    if (s.back() == ',') s.remove_suffix(1);
    while (true) {
        const std::size_t comma = s.find(',');
        const auto byte = ParseHexNumber(Trim(s.substr(0, comma)), 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(*byte));
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    return bytes;
}

// The data after '=': a string, dword:, hex: or hex(N):. Returns the problem, or empty.
std::string ParseData(std::string_view s, RegValue& value) {
    s = Trim(s);
    if (!s.empty() && s.front() == '"') {
        auto text = ParseQuoted(s);
        if (!text) return "bad string";
        if (!Trim(s).empty()) return "text after the string";
        value.type = win::REG_SZ;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
        return {};
    }
    if (StartsWithNoCase(s, "dword:")) {
        const auto n = ParseHexNumber(Trim(s.substr(6)), 8);
        if (!n) return "bad dword";
        value.type = win::REG_DWORD;
        value.data = {static_cast<unsigned char>(*n), static_cast<unsigned char>(*n >> 8),
                      static_cast<unsigned char>(*n >> 16), static_cast<unsigned char>(*n >> 24)};
        return {};
    }
    if (StartsWithNoCase(s, "hex:")) {
        value.type = win::REG_BINARY;
        s.remove_prefix(4);
    } else if (StartsWithNoCase(s, "hex(")) {
        const std::size_t close = s.find("):");
        const auto type = close == std::string_view::npos ? std::nullopt
                                                           : ParseHexNumber(s.substr(4, close - 4), 8);
        if (!type) return "bad hex type";
        value.type = *type;
        s.remove_prefix(close + 2);
    } else {
        return "unknown value type";
    }
    auto bytes = ParseHexBytes(s);
    if (!bytes) return "bad hex data";
    value.data = std::move(*bytes);
    return {};
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// A REG_SZ is written as a quoted string only when that reads back to the same bytes.
bool IsPlainString(const std::vector<unsigned char>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\n' || data[i] == '\r') return false;
    return true;
}

void AppendValue(std::string& out, const RegValue& value) {
    const std::size_t lineStart = out.size();
    if (value.name.empty())
        out.push_back('@');
    else
        AppendQuoted(out, value.name);
    out.push_back('=');
    static constexpr char kDigits[] = "0123456789abcdef";
    if (value.type == win::REG_SZ && IsPlainString(value.data)) {
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                           value.data.size() - 1));
    } else if (value.type == win::REG_DWORD && value.data.size() == 4) {
        out += "dword:";
        for (int i = 3; i >= 0; --i) {
            out.push_back(kDigits[value.data[i] >> 4]);
            out.push_back(kDigits[value.data[i] & 15]);
        }
    } else {
        if (value.type == win::REG_BINARY) {
            out += "hex:";
        } else {
            char type[16];
            std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
            out += type;
        }
        std::size_t column = out.size() - lineStart;
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) {
                out.push_back(',');
                ++column;
                if (column + 3 > kHexLineWidth) {
                    out += "\\\n  ";
                    column = 2;
                }
            }
            out.push_back(kDigits[value.data[i] >> 4]);
            out.push_back(kDigits[value.data[i] & 15]);
            column += 2;
        }
    }
    out.push_back('\n');
}

}  // namespace

RegDocument RegDocument::Parse(std::string_view text, std::string_view rootName) {
    RegDocument doc;
    auto problem = [&doc](std::size_t line, std::string_view what) {
        if (doc.m_error.empty()) doc.m_error = "line " + std::to_string(line) + ": " + std::string(what);
    };
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        problem(1, "UTF-16 text; the file must be saved as UTF-8");
        return doc;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    std::size_t pos = 0;
    std::size_t lineNumber = 0;
    auto nextLine = [&]() -> std::optional<std::string_view> {
        if (pos >= text.size()) return std::nullopt;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    };

    // Index into m_keys of the key that takes values; none before the first key line.
    constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
    std::size_t current = kNoKey;
    bool skippingKey = false;  // inside a deleted key or one of another root
    bool seenKey = false;
    // Lower-case "path" and "path\nvalue name" to their places, so that big files do not
    // take quadratic time.
    std::unordered_map<std::string, std::size_t> keyIndex;
    std::unordered_map<std::string, std::size_t> valueIndex;
    while (auto raw = nextLine()) {
        const std::string_view line = Trim(*raw);
        const std::size_t at = lineNumber;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            seenKey = true;
            current = kNoKey;
            skippingKey = true;
            if (line.back() != ']' || line.size() < 3) {
                problem(at, "bad key line");
                continue;
            }
            std::string_view name = line.substr(1, line.size() - 2);
            if (name.front() == '-') continue;
            const std::size_t slash = name.find('\\');
            if (!EqualsNoCase(name.substr(0, slash), rootName)) {
                problem(at, "key of another root");
                continue;
            }
            const std::string_view path =
                slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
            const auto [it, added] = keyIndex.emplace(AsciiLower(path), doc.m_keys.size());
            if (added) doc.m_keys.push_back(RegKeyEntry{std::string(path), {}});
            current = it->second;
            skippingKey = false;
            continue;
        }
        if (!seenKey && (line == kHeader || line == kOldHeader)) continue;

        // A value line: "name"=data or @=data.
        std::string_view rest = line;
        RegValue value;
        bool named = true;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else if (auto name = ParseQuoted(rest)) {
            value.name = std::move(*name);
        } else {
            named = false;
        }
        rest = Trim(rest);
        if (!named || rest.empty() || rest.front() != '=') {
            if (!skippingKey) problem(at, "bad value line");
            continue;
        }
        std::string data(Trim(rest.substr(1)));
        // Hex data may go on over lines ending in '\'.
        if (StartsWithNoCase(data, "hex")) {
            while (!data.empty() && data.back() == '\\') {
                data.pop_back();
                const auto more = nextLine();
                if (!more) break;
                data += Trim(*more);
            }
        }
        if (skippingKey || data == "-") continue;  // "-" deletes, meaningless in a stored file
        if (current == kNoKey) {
            problem(at, "value outside a key");
            continue;
        }
        const std::string why = ParseData(data, value);
        if (!why.empty()) {
            problem(at, why);
            continue;
        }
        RegKeyEntry& key = doc.m_keys[current];
        const auto [it, added] =
            valueIndex.emplace(AsciiLower(key.path) + '\n' + AsciiLower(value.name), key.values.size());
        if (added) {
            key.values.push_back(std::move(value));
        } else {
            key.values[it->second].type = value.type;  // the later line wins; the first name stays
            key.values[it->second].data = std::move(value.data);
        }
    }
    return doc;
}

std::string RegDocument::Serialize(std::string_view rootName) const {
    std::string out(kHeader);
    out += "\n";
    for (const RegKeyEntry& key : m_keys) {
        out += "\n[";
        out += rootName;
        if (!key.path.empty()) {
            out.push_back('\\');
            out += key.path;
        }
        out += "]\n";
        for (const RegValue& value : key.values) AppendValue(out, value);
    }
    return out;
}

RegKeyEntry* RegDocument::FindKey(std::string_view path) {
    for (RegKeyEntry& key : m_keys)
        if (EqualsNoCase(key.path, path)) return &key;
    return nullptr;
}

const RegKeyEntry* RegDocument::FindKey(std::string_view path) const {
    return const_cast<RegDocument*>(this)->FindKey(path);
}

RegKeyEntry& RegDocument::AddKey(std::string_view path) {
    if (RegKeyEntry* key = FindKey(path)) return *key;
    m_keys.push_back(RegKeyEntry{std::string(path), {}});
    return m_keys.back();
}

const RegValue* RegDocument::FindValue(const RegKeyEntry& key, std::string_view name) {
    for (const RegValue& value : key.values)
        if (EqualsNoCase(value.name, name)) return &value;
    return nullptr;
}

void RegDocument::SetValue(RegKeyEntry& key, RegValue value) {
    for (RegValue& old : key.values) {
        if (EqualsNoCase(old.name, value.name)) {
            // The stored name keeps its spelling, as a case-insensitive store does.
            old.type = value.type;
            old.data = std::move(value.data);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

namespace win {
namespace {

struct OpenKey {
    HKEY root;
    std::string path;
    std::uint32_t access;
};

std::mutex g_handlesMutex;
std::map<HKEY, OpenKey> g_handles;
HKEY g_nextHandle = 1;

// The key behind a handle: an opened key, or a predefined root standing for itself.
std::optional<OpenKey> LookUp(HKEY key) {
    if (!RootName(key).empty()) return OpenKey{key, {}, KEY_ALL_ACCESS};
    std::lock_guard lock(g_handlesMutex);
    const auto it = g_handles.find(key);
    if (it == g_handles.end()) return std::nullopt;
    return it->second;
}

long ErrorFromErrno(int error, long otherwise) {
    if (error == ENOENT || error == ENOTDIR) return ERROR_FILE_NOT_FOUND;
    if (error == EACCES || error == EPERM || error == EROFS) return ERROR_ACCESS_DENIED;
    return otherwise;
}

// Read-only for everyone, root included: no write bit at all works like a read-only attribute.
bool Writable(const std::string& file) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0 || (st.st_mode & 0222) == 0) return false;
    if (access(file.c_str(), W_OK) != 0) return false;
    // The file is replaced, not written in place, so its folder must take new files too.
    const std::size_t slash = file.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    return access(dir.c_str(), W_OK) == 0;
}

// The root's key at path: the root key itself always exists when its file does.
const RegKeyEntry* FindKeyIn(const RegDocument& doc, std::string_view path) {
    static const RegKeyEntry kEmptyRoot;
    if (path.empty()) {
        const RegKeyEntry* key = doc.FindKey(path);
        return key ? key : &kEmptyRoot;
    }
    return doc.FindKey(path);
}

std::string JoinPath(std::string_view parent, std::string_view child) {
    if (parent.empty()) return std::string(child);
    if (child.empty()) return std::string(parent);
    return std::string(parent) + "\\" + std::string(child);
}

}  // namespace

std::string_view RootName(HKEY root) {
    switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    default: return {};
    }
}

std::string RegistryFilePath(HKEY root) {
    const std::string_view name = RootName(root);
    if (name.empty()) return {};
    if (root == HKEY_CURRENT_USER) return ConfigDir() + "/registry/" + std::string(name) + ".reg";
    std::string dir = SystemRegistryDir();
    if (!dir.empty() && dir.back() != '/') dir.push_back('/');
    return dir + std::string(name) + ".reg";
}

long RegOpenKeyEx(HKEY root, std::string_view subKey, std::uint32_t /*options*/,
                  std::uint32_t samDesired, HKEY* result) {
    const auto parent = LookUp(root);
    if (!parent) return ERROR_INVALID_HANDLE;
    if (!result) return kErrorInvalidParameter;
    const std::string path = JoinPath(parent->path, subKey);
    const std::string file = RegistryFilePath(parent->root);
    std::string text;
    if (!ReadWholeFile(file, text)) return ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND);
    if (!FindKeyIn(RegDocument::Parse(text, RootName(parent->root)), path))
        return ERROR_FILE_NOT_FOUND;
    if ((samDesired & KEY_SET_VALUE) && !Writable(file)) return ERROR_ACCESS_DENIED;

    std::lock_guard lock(g_handlesMutex);
    // Handles count up from 1 and stay below the predefined roots; 0 is never handed out.
    while (g_handles.count(g_nextHandle) || g_nextHandle == 0 || g_nextHandle >= HKEY_CLASSES_ROOT)
        g_nextHandle = g_nextHandle == 0 || g_nextHandle >= HKEY_CLASSES_ROOT ? 1 : g_nextHandle + 1;
    const HKEY handle = g_nextHandle++;
    g_handles.emplace(handle, OpenKey{parent->root, path, samDesired});
    *result = handle;
    return ERROR_SUCCESS;
}

long RegQueryValueEx(HKEY key, std::string_view valueName, std::uint32_t* type,
                     unsigned char* data, std::uint32_t* size) {
    const auto open = LookUp(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (data && !size) return kErrorInvalidParameter;
    // Read afresh each time: the files are small and another process may have written.
    std::string text;
    if (!ReadWholeFile(RegistryFilePath(open->root), text))
        return ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND);
    const RegDocument doc = RegDocument::Parse(text, RootName(open->root));
    const RegKeyEntry* entry = FindKeyIn(doc, open->path);
    if (!entry) return ERROR_FILE_NOT_FOUND;
    const RegValue* value = RegDocument::FindValue(*entry, valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;

    const auto length = static_cast<std::uint32_t>(value->data.size());
    if (type) *type = value->type;
    if (!data) {
        if (size) *size = length;
        return ERROR_SUCCESS;
    }
    const bool fits = *size >= length;
    *size = length;
    if (!fits) return ERROR_MORE_DATA;
    if (length > 0) std::memcpy(data, value->data.data(), length);
    return ERROR_SUCCESS;
}

long RegSetValueEx(HKEY key, std::string_view valueName, std::uint32_t type,
                   const unsigned char* data, std::uint32_t size) {
    const auto open = LookUp(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if ((!data && size > 0) || valueName.size() > kMaxValueNameLength ||
        valueName.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return kErrorInvalidParameter;

    const std::string file = RegistryFilePath(open->root);
    const std::string_view rootName = RootName(open->root);
    const FileLock lock(file);
    if (!lock.locked()) return ErrorFromErrno(lock.error(), ERROR_WRITE_FAULT);
    std::string text;
    if (!ReadWholeFile(file, text)) return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    RegDocument doc = RegDocument::Parse(text, rootName);
    // Rewriting would drop the lines that could not be read; leave such a file alone.
    if (!doc.error().empty()) return ERROR_WRITE_FAULT;
    RegKeyEntry* entry = doc.FindKey(open->path);
    if (!entry) {
        if (!open->path.empty()) return ERROR_FILE_NOT_FOUND;
        entry = &doc.AddKey({});
    }
    RegValue value{std::string(valueName), type, {}};
    if (size > 0) value.data.assign(data, data + size);
    RegDocument::SetValue(*entry, std::move(value));
    if (!AtomicReplace(file, doc.Serialize(rootName))) return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    return ERROR_SUCCESS;
}

long RegCloseKey(HKEY key) {
    if (!RootName(key).empty()) return ERROR_SUCCESS;
    std::lock_guard lock(g_handlesMutex);
    return g_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace win
}  // namespace qm
