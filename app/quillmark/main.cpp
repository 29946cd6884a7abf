// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QIcon>
#include <clocale>

#include "platform/qt/Services.h"
#include "ui/frmMain.h"

int main(int argc, char** argv)
{
    // The comment date's month name follows the user's locale.
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark 98"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillmark.svg")));

    // Closing the window (close box or Exit) ends the program.
    qm::frmMain window(qm::DefaultServices());
    window.show();
    return QApplication::exec();
}
