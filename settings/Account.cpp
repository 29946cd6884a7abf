// SPDX-License-Identifier: MIT
#include "settings/Account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/Text.h"

namespace qm {

std::string FullNameFromPasswd(std::string_view gecos, std::string_view login) {
    const std::string_view name = TrimBlanks(gecos.substr(0, gecos.find(',')));
    return std::string(name.empty() ? login : name);
}

std::string AccountFullName() {
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error != 0 || !found) return {};
    return FullNameFromPasswd(found->pw_gecos ? found->pw_gecos : "", found->pw_name ? found->pw_name : "");
}

}  // namespace qm
