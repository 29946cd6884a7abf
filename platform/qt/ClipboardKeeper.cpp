// SPDX-License-Identifier: MIT
#include "platform/qt/ClipboardKeeper.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifdef QM_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace qm {
namespace {

constexpr int kReadyTimeoutMs = 3000;

// A clipboard manager owns the CLIPBOARD_MANAGER selection while it runs.
bool ClipboardManagerRunning() {
#ifdef QM_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool running = false;
    if (!xcb_connection_has_error(connection)) {
        const char name[] = "CLIPBOARD_MANAGER";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
        if (atom && atom->atom != XCB_NONE) {
            xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
                connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            running = owner && owner->owner != XCB_NONE;
            free(owner);
        }
        free(atom);
    }
    xcb_disconnect(connection);
    return running;
#else
    return false;
#endif
}

bool WriteAll(int fd, const QByteArray& data) {
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n =
            send(fd, data.constData() + done, static_cast<size_t>(data.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Starts program detached (its own session, not our child once started) with fd as its
// standard input and output; false when it could not be started.
bool StartDetached(const QString& program, int fd) {
    const std::string path = QFile::encodeName(program).toStdString();
    const char* argv[] = {path.c_str(), "--serve-clipboard", nullptr};
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        setsid();
        if (fork() != 0) _exit(0);
        dup2(fd, STDIN_FILENO);
        dup2(fd, STDOUT_FILENO);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void KeepClipboardAfterExit(const QString& program) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !clipboard || !clipboard->ownsClipboard())
        return;
    const QString text = clipboard->text();
    if (text.isEmpty() || ClipboardManagerRunning()) return;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    // The server's end loses close-on-exec only as its standard input and output.
    const bool started = StartDetached(program, ends[1]);
    close(ends[1]);
    if (started && WriteAll(ends[0], text.toUtf8())) {
        shutdown(ends[0], SHUT_WR);
        pollfd ready{ends[0], POLLIN, 0};
        while (poll(&ready, 1, kReadyTimeoutMs) < 0 && errno == EINTR) {
        }
    }
    close(ends[0]);
}

int ServeClipboard() {
    QByteArray text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (text.size() + n > kMaxServedText) return 2;
        text.append(buffer, n);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString::fromUtf8(text));
    if (!clipboard->ownsClipboard()) return 1;
    const char ready = 1;
    [[maybe_unused]] const ssize_t n = write(STDOUT_FILENO, &ready, 1);
    // Nothing more goes to the starter, which may be gone already.
    close(STDOUT_FILENO);
    close(STDIN_FILENO);
    QObject::connect(clipboard, &QClipboard::changed, clipboard, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard()) QCoreApplication::quit();
    });
    return QGuiApplication::exec();
}

}  // namespace qm
