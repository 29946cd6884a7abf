// SPDX-License-Identifier: MIT
// Build-time tool: renders SVG icons at fixed sizes through QIcon, the way the running program
// would draw them, and saves each picture as PNG, so the program can show the same pixels
// without loading Qt's SVG support at start-up.
//   qm_icon_baker OUT_DIR SIZE[,SIZE...] FILE.svg...
// writes OUT_DIR/<name>-<size>.png for every file and size, a square of size pixels (an SVG
// that is not square is refused).
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <cstdio>

namespace {

// Qt's own chatter (no runtime directory and the like) is noise in a build log; failures are
// reported by the tool itself.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "qm_icon_baker: %s\n", qUtf8Printable(message));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: qm_icon_baker OUT_DIR SIZE[,SIZE...] FILE.svg...\n", stderr);
        return 2;
    }
    qInstallMessageHandler(QuietHandler);
    // Drawing into an image needs no display.
    char platformOption[] = "-platform";
    char platformName[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, platformName, nullptr};
    int qtArgc = 3;
    QGuiApplication app(qtArgc, qtArgv);

    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "qm_icon_baker: cannot create %s\n", argv[1]);
        return 1;
    }
    QList<int> sizes;
    for (const QString& field : QString::fromLatin1(argv[2]).split(QLatin1Char(','))) {
        bool ok = false;
        const int size = field.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "qm_icon_baker: bad size '%s'\n", qUtf8Printable(field));
            return 2;
        }
        sizes << size;
    }

    for (int i = 3; i < argc; ++i) {
        const QString svg = QString::fromLocal8Bit(argv[i]);
        const QIcon icon(svg);
        const QString name = QFileInfo(svg).completeBaseName();
        for (int size : sizes) {
            // At a device pixel ratio of 1, as the windows ask for them on a normal screen.
            const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
            if (image.isNull()) {
                std::fprintf(stderr,
                             "qm_icon_baker: cannot render %s; is Qt's SVG support (libqt6svg6) "
                             "installed?\n",
                             argv[i]);
                return 1;
            }
            // The program takes a picture's size from its name, without decoding it.
            if (image.size() != QSize(size, size)) {
                std::fprintf(stderr, "qm_icon_baker: %s is not square\n", argv[i]);
                return 1;
            }
            const QString file = out.filePath(QStringLiteral("%1-%2.png").arg(name).arg(size));
            if (!image.save(file, "PNG")) {
                std::fprintf(stderr, "qm_icon_baker: cannot write %s\n", qUtf8Printable(file));
                return 1;
            }
        }
    }
    return 0;
}
