// SPDX-License-Identifier: MIT
#include "settings/FreeTextBlock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include "generator/FreeTextFrame.h"
#include "platform/FileError.h"
#include "platform/WholeFile.h"
#include "settings/RegIni.h"
#include "settings/Utility.h"

namespace qm {
namespace {

// What a signal handler may touch: a fixed buffer and a flag, no allocation.
char g_scratchPath[PATH_MAX];
volatile std::sig_atomic_t g_scratchArmed = 0;

void Arm(const std::string& path) {
    if (g_scratchArmed || path.size() >= sizeof g_scratchPath) return;
    std::memcpy(g_scratchPath, path.c_str(), path.size() + 1);
    g_scratchArmed = 1;
}

void Disarm(const std::string& path) {
    if (g_scratchArmed && path == g_scratchPath) g_scratchArmed = 0;
}

extern "C" void removeScratchAndEnd(int signal) {
    if (g_scratchArmed) ::unlink(g_scratchPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);  // delivered once the handler returns, with the default action
}

}  // namespace

ScratchFile::ScratchFile() : ScratchFile(RegIni().GetTempFile("~qm", 0)) {}

ScratchFile::ScratchFile(std::string path) : m_path(std::move(path)) {
    Arm(m_path);
    m_fd = FileDescriptor(::open(m_path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    const int openError = errno;
    // In a shared folder another user may have replaced the new file between its creation and
    // this open; only our own new empty file with no other name is used.
    struct stat st {};
    if (m_fd && ::fstat(m_fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_nlink == 1 && st.st_size == 0)
        return;
    const int error = m_fd ? EEXIST : openError;
    Disarm(m_path);
    ::unlink(m_path.c_str());
    throw FileError("cannot open", m_path, error);
}

ScratchFile::~ScratchFile() {
    Disarm(m_path);
    ::unlink(m_path.c_str());
}

std::string BuildFreeTextBlock(std::string_view freeText, DevelopmentLanguage language) {
    const ScratchFile scratch;
    Utility().FileSave(scratch.fd(), scratch.path(), freeText);
    std::string content;
    if (::lseek(scratch.fd(), 0, SEEK_SET) != 0 || !ReadDescriptor(scratch.fd(), content))
        throw FileError("cannot read", scratch.path(), errno);
    return FrameFreeText(content, language);
}

void RemoveScratchFileOnSignals() {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeScratchAndEnd;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace qm
