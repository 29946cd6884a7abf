// SPDX-License-Identifier: MIT
#include "platform/qt/ClipboardKeeper.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"

#ifdef QM_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace qm {
namespace {

constexpr int kReadyTimeoutMs = 3000;
// Clipboard managers answer within milliseconds; one that has not answered by then will not
// save the text (one that claims the role without a tray to store into never answers).
constexpr int kHandOverTimeoutMs = 2000;

enum class HandOver { NoManager, Saved, Failed };

void Nap(int ms) { poll(nullptr, 0, ms); }

#ifdef QM_HAVE_XCB
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    free(reply);
    return atom;
}

xcb_window_t SelectionOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
    free(reply);
    return owner;
}

// Waits for the manager's answer to the conversion asked on connection, letting Qt serve the
// manager's requests for the text meanwhile; true when it says it saved the text.
bool AwaitSaved(xcb_connection_t* connection) {
    QElapsedTimer clock;
    clock.start();
    while (!xcb_connection_has_error(connection) && clock.elapsed() < kHandOverTimeoutMs) {
        QCoreApplication::processEvents();
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool notify = (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
            const bool saved =
                notify && reinterpret_cast<xcb_selection_notify_event_t*>(event)->property != XCB_NONE;
            free(event);
            if (notify) return saved;
        }
        pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
        RetryOnEintr([&] { return poll(&readable, 1, 10); });
    }
    return false;
}
#endif

// Asks the clipboard manager, when one runs, to save the clipboard: the SAVE_TARGETS
// conversion of CLIPBOARD_MANAGER, as Qt would on the way out but with a shorter wait.
HandOver HandOverToManager() {
    HandOver result = HandOver::NoManager;
#ifdef QM_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_connection_has_error(connection)
                                     ? nullptr
                                     : xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t manager = screen ? Atom(connection, "CLIPBOARD_MANAGER") : XCB_NONE;
    if (manager != XCB_NONE && SelectionOwner(connection, manager) != XCB_NONE) {
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_convert_selection(connection, window, manager, Atom(connection, "SAVE_TARGETS"),
                              Atom(connection, "QUILLMARK_SAVED"), XCB_CURRENT_TIME);
        xcb_flush(connection);
        result = AwaitSaved(connection) ? HandOver::Saved : HandOver::Failed;
        xcb_destroy_window(connection, window);
    }
    xcb_disconnect(connection);
#endif
    return result;
}

// Who owns the clipboard as the X server says; 0 where that cannot be asked.
unsigned long ClipboardOwner() {
#ifdef QM_HAVE_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return 0;
    static const xcb_atom_t clipboard = Atom(connection, "CLIPBOARD");
    return SelectionOwner(connection, clipboard);
#else
    return 0;
#endif
}

bool WriteAll(int fd, const QByteArray& data) {
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = RetryOnEintr([&] {
            return send(fd, data.constData() + done, static_cast<size_t>(data.size() - done), MSG_NOSIGNAL);
        });
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// True once one byte arrived on fd within timeoutMs.
bool AwaitByte(int fd, int timeoutMs) {
    pollfd ready{fd, POLLIN, 0};
    char byte = 0;
    return RetryOnEintr([&] { return poll(&ready, 1, timeoutMs); }) == 1 &&
           RetryOnEintr([&] { return read(fd, &byte, 1); }) == 1;
}

// Starts `program --serve-clipboard` in a session of its own, not our child once started:
// standard streams on /dev/null, fd as kServerHandshakeFd, no other descriptor of ours.
bool StartDetached(const QString& program, int fd) {
    const std::string path = QFile::encodeName(program).toStdString();
    const char* argv[] = {path.c_str(), "--serve-clipboard", nullptr};
    const FileDescriptor null(RetryOnEintr([] { return open("/dev/null", O_RDWR | O_CLOEXEC); }));
    const long openMax = sysconf(_SC_OPEN_MAX);
    if (!null) return false;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        setsid();
        const pid_t server = fork();
        if (server != 0) _exit(server < 0 ? 1 : 0);
        // Both above 3 first, so none of the dup2 calls closes one the next still needs.
        const int handshake = fcntl(fd, F_DUPFD_CLOEXEC, 10);
        const int quiet = fcntl(null.get(), F_DUPFD_CLOEXEC, 10);
        if (handshake < 0 || quiet < 0 || dup2(quiet, STDIN_FILENO) < 0 || dup2(quiet, STDOUT_FILENO) < 0 ||
            dup2(quiet, STDERR_FILENO) < 0 || dup2(handshake, kServerHandshakeFd) < 0)
            _exit(127);
        if (close_range(kServerHandshakeFd + 1, ~0U, 0) != 0)
            for (long open = kServerHandshakeFd + 1; open < openMax; ++open) close(static_cast<int>(open));
        // Holds no folder of the starter's busy.
        if (chdir("/") != 0) _exit(127);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    int status = 0;
    RetryOnEintr([&] { return waitpid(child, &status, 0); });
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void KeepClipboardAfterExit(const QString& program) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !clipboard) return;
    // The selection ends with us anyway; owning it would send Qt's own hand-over on the way out
    // into a wait of its own for a manager that does not answer.
    if (clipboard->ownsSelection()) clipboard->clear(QClipboard::Selection);
    if (!clipboard->ownsClipboard()) return;
    const QString text = clipboard->text();
    if (text.isEmpty() || HandOverToManager() == HandOver::Saved) return;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    const FileDescriptor ours(ends[0]);
    const bool started = StartDetached(program, ends[1]);
    close(ends[1]);
    if (!started || !WriteAll(ours.get(), text.toUtf8())) return;
    shutdown(ours.get(), SHUT_WR);
    if (!AwaitByte(ours.get(), kReadyTimeoutMs)) return;
    // Qt must hear it lost the clipboard, or it offers it to the manager once more on the way out.
    QElapsedTimer clock;
    clock.start();
    while (clipboard->ownsClipboard() && clock.elapsed() < kReadyTimeoutMs) {
        QCoreApplication::processEvents();
        Nap(5);
    }
}

int ServeClipboard() {
    QByteArray text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = RetryOnEintr([&] { return read(kServerHandshakeFd, buffer, sizeof buffer); });
        if (n < 0) return 1;
        if (n == 0) break;
        if (text.size() + n > kMaxServedText) return 2;
        text.append(buffer, n);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString::fromUtf8(text));
    const unsigned long owner = ClipboardOwner();
    if (!clipboard->ownsClipboard()) return 1;
    const char ready = 1;
    [[maybe_unused]] const ssize_t n = RetryOnEintr([&] { return write(kServerHandshakeFd, &ready, 1); });
    // Nothing more goes to the starter, which may be gone already.
    close(kServerHandshakeFd);
    // Qt's own flag stays set when the clipboard was cleared before another program set it, so
    // the server's word decides; without it, the flag.
    QObject::connect(clipboard, &QClipboard::changed, clipboard, [clipboard, owner](QClipboard::Mode mode) {
        if (mode != QClipboard::Clipboard) return;
        if (owner ? ClipboardOwner() != owner : !clipboard->ownsClipboard()) QCoreApplication::quit();
    });
    return QGuiApplication::exec();
}

}  // namespace qm
