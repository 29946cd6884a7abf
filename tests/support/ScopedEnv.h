// SPDX-License-Identifier: MIT
// Environment changes that undo themselves: tests share one process, and a failed assertion
// must not leave the next test a broken TMPDIR or config folder.
#pragma once
#include <cstdlib>
#include <optional>
#include <string>

namespace qm::test {

// Sets name to value (nullptr: unsets it) until the end of the scope, then restores the old
// value, or unsets it again when it was unset.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        put(value);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { put(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void put(const char* value) { value ? setenv(m_name.c_str(), value, 1) : unsetenv(m_name.c_str()); }
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace qm::test
