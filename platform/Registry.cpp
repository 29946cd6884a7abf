// SPDX-License-Identifier: MIT
#include "platform/Registry.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "platform/Directories.h"
#include "platform/GuardedFile.h"
#include "platform/WholeFile.h"

namespace qm {
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

// Not in the public header: the program's callers never pass longer names, but other code might.
constexpr std::size_t kMaxValueNameLength = 16383;

// The root's key at path: the root key itself always exists when its file does.
const RegKeyEntry* FindKeyIn(const RegDocument& doc, std::string_view path) {
    static const RegKeyEntry kEmptyRoot;
    if (path.empty()) {
        const RegKeyEntry* key = doc.findKey(path);
        return key ? key : &kEmptyRoot;
    }
    return doc.findKey(path);
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

long RegOpenKeyEx(HKEY root, std::string_view subKey, std::uint32_t /*options*/, std::uint32_t samDesired,
                  HKEY* result) {
    const auto parent = LookUp(root);
    if (!parent) return ERROR_INVALID_HANDLE;
    if (!result) return ERROR_INVALID_PARAMETER;
    const std::string path = JoinPath(parent->path, subKey);
    const std::string file = RegistryFilePath(parent->root);
    std::string text;
    if (!ReadWholeFile(file, text)) return ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND);
    if (!FindKeyIn(RegDocument::Parse(text, RootName(parent->root)), path)) return ERROR_FILE_NOT_FOUND;
    if ((samDesired & KEY_SET_VALUE) && !CanReplace(ResolveSymlinks(file))) return ERROR_ACCESS_DENIED;

    std::lock_guard lock(g_handlesMutex);
    // Handles count up from 1 and stay below the predefined roots; 0 is never handed out.
    while (g_handles.count(g_nextHandle) || g_nextHandle == 0 || g_nextHandle >= HKEY_CLASSES_ROOT)
        g_nextHandle = g_nextHandle == 0 || g_nextHandle >= HKEY_CLASSES_ROOT ? 1 : g_nextHandle + 1;
    const HKEY handle = g_nextHandle++;
    g_handles.emplace(handle, OpenKey{parent->root, path, samDesired});
    *result = handle;
    return ERROR_SUCCESS;
}

long RegQueryValueEx(HKEY key, std::string_view valueName, std::uint32_t* type, unsigned char* data,
                     std::uint32_t* size) {
    const auto open = LookUp(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (data && !size) return ERROR_INVALID_PARAMETER;
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

long RegSetValueEx(HKEY key, std::string_view valueName, std::uint32_t type, const unsigned char* data,
                   std::uint32_t size) {
    const auto open = LookUp(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if ((!data && size > 0) || valueName.size() > kMaxValueNameLength ||
        valueName.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return ERROR_INVALID_PARAMETER;

    const std::string_view rootName = RootName(open->root);
    GuardedFile file(ResolveSymlinks(RegistryFilePath(open->root)), {.write = true});
    std::string text;
    if (!file.read(text)) return ErrorFromErrno(file.error(), ERROR_WRITE_FAULT);
    const RegDocument doc = RegDocument::Parse(text, rootName);
    // Rewriting would drop the lines that could not be read; leave such a file alone.
    if (!doc.error().empty()) return ERROR_WRITE_FAULT;
    if (!open->path.empty() && !doc.findKey(open->path)) return ERROR_FILE_NOT_FOUND;
    RegValue value{std::string(valueName), type, {}};
    if (size > 0) value.data.assign(data, data + size);
    if (!file.replace(RegDocument::EditValue(text, rootName, open->path, value)))
        return ErrorFromErrno(file.error(), ERROR_WRITE_FAULT);
    return ERROR_SUCCESS;
}

long RegCloseKey(HKEY key) {
    if (!RootName(key).empty()) return ERROR_SUCCESS;
    std::lock_guard lock(g_handlesMutex);
    return g_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace win
}  // namespace qm
