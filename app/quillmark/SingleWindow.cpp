// SPDX-License-Identifier: MIT
#include "app/quillmark/SingleWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/Directories.h"
#include "platform/FileDescriptor.h"

namespace qm {
namespace {

constexpr int kAnswerTimeoutMs = 2000;
// How long a later start keeps asking a launcher that holds the lock but does not answer yet.
constexpr int kAskForMs = 3000;
constexpr int kAttemptPauseMs = 100;

// A folder only this user can enter, open: $XDG_RUNTIME_DIR, else quillmark-UID in the
// temporary folder, made for the purpose; none when neither is safe to use.
FileDescriptor OpenPrivateDir() {
    const auto openOwn = [](const std::string& dir) {
        FileDescriptor fd(
            RetryOnEintr([&] { return open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); }));
        struct stat info {};
        if (fd && (fstat(fd.get(), &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0))
            return FileDescriptor();
        return fd;
    };
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/')
        if (FileDescriptor fd = openOwn(runtime)) return fd;
    const std::string own = TempDir() + "quillmark-" + std::to_string(geteuid());
    mkdir(own.c_str(), 0700);
    return openOwn(own);
}

// The socket name through the open folder, so a long folder path still fits an address.
bool SocketAddress(int dir, const std::string& name, sockaddr_un& address) {
    const std::string path = "/proc/self/fd/" + std::to_string(dir) + "/" + name;
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Asks the launcher listening on name in dir to bring its window forward; true once it says it did.
bool AskRunning(int dir, const std::string& name) {
    sockaddr_un address;
    const FileDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd || !SocketAddress(dir, name, address)) return false;
    if (RetryOnEintr(
            [&] { return connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address); }) != 0)
        return false;
    pollfd answer{fd.get(), POLLIN, 0};
    char byte = 0;
    return RetryOnEintr([&] { return poll(&answer, 1, kAnswerTimeoutMs); }) == 1 &&
           RetryOnEintr([&] { return read(fd.get(), &byte, 1); }) == 1;
}

}  // namespace

// The first launcher's side: the lock it holds while it runs, and the socket it answers on.
struct SingleWindow::Listener {
    FileDescriptor dir;
    FileDescriptor lock;
    FileDescriptor socket;
    std::string socketName;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Listener() {
        notifier.reset();
        // Still under the lock, so no later launcher's socket is taken away.
        if (socket) unlinkat(dir.get(), socketName.c_str(), 0);
    }
};

SingleWindow::SingleWindow(const QString& key, std::function<bool()> bringForward)
    : m_key(key), m_bringForward(std::move(bringForward)) {}

SingleWindow::~SingleWindow() = default;

void SingleWindow::release() { m_listener.reset(); }

bool SingleWindow::forwardToRunning() {
    if (m_key.isEmpty()) return false;
    auto listener = std::make_unique<Listener>();
    listener->dir = OpenPrivateDir();
    if (!listener->dir) return false;
    const int dir = listener->dir.get();
    const std::string base = "quillmark-" + m_key.toStdString();
    listener->socketName = base + ".socket";
    listener->lock = FileDescriptor(RetryOnEintr([&] {
        return openat(dir, (base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }));
    if (!listener->lock) return false;
    // The launcher that holds the lock may be starting or ending: ask again for a while.
    QElapsedTimer asking;
    asking.start();
    for (bool first = true; first || asking.elapsed() < kAskForMs; first = false) {
        if (!first) poll(nullptr, 0, kAttemptPauseMs);
        if (flock(listener->lock.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return false;
            if (AskRunning(dir, listener->socketName)) return true;
            continue;
        }
        // The first: a socket left by a launcher that crashed gives way to ours.
        unlinkat(dir, listener->socketName.c_str(), 0);
        sockaddr_un address;
        FileDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (!fd || !SocketAddress(dir, listener->socketName, address) ||
            bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(fd.get(), 8) != 0)
            return false;
        listener->socket = std::move(fd);
        listener->notifier = std::make_unique<QSocketNotifier>(listener->socket.get(), QSocketNotifier::Read);
        QSocketNotifier* notifier = listener->notifier.get();
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] { answer(); });
        m_listener = std::move(listener);
        return false;
    }
    return false;
}

void SingleWindow::answer() {
    for (;;) {
        const FileDescriptor peer(accept4(m_listener->socket.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!peer) return;
        // Only this user's own starts are answered; the folder already keeps others out.
        ucred who{};
        socklen_t size = sizeof who;
        if (getsockopt(peer.get(), SOL_SOCKET, SO_PEERCRED, &who, &size) != 0 || who.uid != geteuid())
            continue;
        const char done = 1;
        if (m_bringForward && m_bringForward()) send(peer.get(), &done, 1, MSG_NOSIGNAL);
    }
}

QString DisplayKey() {
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("xcb")) {
        display = QStringLiteral("x11") + qEnvironmentVariable("DISPLAY");
        // ":0.1" is the screen 1 of the display ":0", whose windows are the same desktop.
        const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
        const qsizetype dot = display.lastIndexOf(QLatin1Char('.'));
        if (colon >= 0 && dot > colon) display.truncate(dot);
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    }
    // A file name: letters, digits, '-' and '.' as they are, anything else '_'.
    for (QChar& c : display)
        if (c.unicode() > 127 || (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.')))
            c = QLatin1Char('_');
    return display;
}

}  // namespace qm
