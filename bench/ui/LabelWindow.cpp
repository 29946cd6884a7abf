// SPDX-License-Identifier: MIT
// A Qt program that shows one line of text: the cost of the font set-up any window with
// captions pays, next to the empty window.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Sub/Function Name:"));
    window.show();
    return QApplication::exec();
}
