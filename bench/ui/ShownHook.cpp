// SPDX-License-Identifier: MIT
// Loaded with LD_PRELOAD: when the program's first window is exposed, writes one byte to the
// file descriptor named by QM_SHOWN_FD and ends the process at once. The program itself
// needs no change to be measured.
#include <QCoreApplication>
#include <QEvent>
#include <QWindow>
#include <cstdlib>
#include <unistd.h>

namespace {

class ShownWatcher : public QObject {
public:
    explicit ShownWatcher(int fd) : m_fd(fd) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && watched->isWindowType() &&
            static_cast<QWindow*>(watched)->isExposed()) {
            const char shown = 'x';
            if (::write(m_fd, &shown, 1) != 1) std::_Exit(2);
            std::_Exit(0);
        }
        return false;
    }

private:
    int m_fd;
};

void installWatcher() {
    const char* fd = std::getenv("QM_SHOWN_FD");
    if (fd && *fd) qApp->installEventFilter(new ShownWatcher(std::atoi(fd)));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installWatcher)
