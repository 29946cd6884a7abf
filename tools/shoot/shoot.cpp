// SPDX-License-Identifier: MIT
// Saves a picture of every window, filled with the worked example, for the docs:
//   shoot DIR
// It also names every label and button whose text does not fit its control, and exits 1 then.
// scripts/screenshots.sh runs it with its own settings file.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTextStream>
#include <clocale>
#include <cstdio>

#include "platform/qt/Services.h"
#include "ui/frmAbout.h"
#include "ui/frmFreeComments.h"
#include "ui/frmHelp.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "ui/frmParamAdd.h"

namespace {

int g_clipped = 0;

template <typename T>
T* named(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "shoot: %s has no %s\n", qPrintable(window->objectName()), name);
        std::exit(2);
    }
    return found;
}

void settle(QWidget* window) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    window->repaint();
}

void reportClipped(QWidget* window) {
    const auto complain = [window](QWidget* w, const QString& text) {
        ++g_clipped;
        std::fprintf(stderr, "clipped: %s / %s \"%s\" needs more than %dx%d\n",
                     qPrintable(window->objectName()), qPrintable(w->objectName()), qPrintable(text),
                     w->width(), w->height());
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty()) continue;
        const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                            : label->sizeHint().width() <= label->width() &&
                                                  label->sizeHint().height() <= label->height() + 2;
        if (!fits) complain(label, label->text());
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->text().isEmpty()) continue;
        // Push buttons have generous margins in their size hint; only the text must fit.
        const bool isPush = !qobject_cast<QRadioButton*>(button) && !qobject_cast<QCheckBox*>(button);
        const int need =
            isPush
                ? button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) +
                      8
                : button->sizeHint().width();
        if (need > button->width()) complain(button, button->text());
    }
}

bool save(QWidget* window, const QString& dir, const char* file) {
    settle(window);
    reportClipped(window);
    const QString path = QDir(dir).filePath(QLatin1String(file));
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "shoot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: shoot DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    qm::Services& services = qm::DefaultServices();
    bool ok = true;

    qm::frmMain main(services);
    main.show();
    named<QLineEdit>(&main, "txtSubName")->setText(QStringLiteral("GetTotal"));
    named<QLineEdit>(&main, "txtSubPurpose")->setText(QStringLiteral("Adds up the lines of one order"));
    named<QLineEdit>(&main, "txtSubReturns")->setText(QStringLiteral("Currency; the order total"));
    named<QRadioButton>(&main, "optFunction")->setChecked(true);
    main.appendParameter(qm::ParamList::RowFromDialog(0, "OrderID", false, "Long", "Order to total"));
    main.appendParameter(qm::ParamList::RowFromDialog(0, "IncludeTax", true, "Boolean", "Add sales tax"));
    ok &= save(&main, dir, "main-general.png");
    named<QTabBar>(&main, "TabStrip1")->setCurrentIndex(1);
    ok &= save(&main, dir, "main-parameters.png");

    qm::frmParamAdd paramAdd(&main);
    paramAdd.show();
    named<QLineEdit>(&paramAdd, "txtParamName")->setText(QStringLiteral("IncludeTax"));
    named<QComboBox>(&paramAdd, "cmbParamType")->setCurrentText(QStringLiteral("Boolean"));
    named<QLineEdit>(&paramAdd, "txtParamDescription")->setText(QStringLiteral("Add sales tax"));
    named<QCheckBox>(&paramAdd, "chkOptional")->setChecked(true);
    ok &= save(&paramAdd, dir, "param-add.png");
    paramAdd.hide();

    qm::frmFreeComments freeComments(&main);
    freeComments.show();
    named<QPlainTextEdit>(&freeComments, "txtComments")
        ->setPlainText(QStringLiteral("Order module: shared routines.\nAll amounts are in cents."));
    ok &= save(&freeComments, dir, "free-comments.png");
    freeComments.hide();

    qm::frmOptions options(services, QStringLiteral("A. Developer"), 0, &main);
    options.show();
    ok &= save(&options, dir, "options.png");
    options.hide();

    qm::frmHelp help(&main);
    help.show();
    ok &= save(&help, dir, "help-general.png");
    named<QTabBar>(&help, "TabStrip1")->setCurrentIndex(1);
    ok &= save(&help, dir, "help-hotkeys.png");
    help.hide();

    qm::frmAbout about(services, &main);
    about.show();
    ok &= save(&about, dir, "about.png");
    about.hide();

    if (g_clipped) std::fprintf(stderr, "shoot: %d control(s) cannot show their whole text\n", g_clipped);
    return ok && !g_clipped ? 0 : 1;
}
