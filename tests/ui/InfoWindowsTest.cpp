// SPDX-License-Identifier: MIT
// The Quick Help window and the About box.
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <fstream>
#include <sys/stat.h>

#include "platform/Directories.h"
#include "platform/Registry.h"
#include "tests/support/FakeServices.h"
#include "tests/support/UiTestSupport.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

namespace qm::test {
namespace {

TEST(HelpWindow, StartsOnOkAndEachTabBringsItsPageToTheFront) {
    frmHelp help;
    showAndWait(&help);
    auto* strip = child<QTabBar>(&help, "TabStrip1");
    EXPECT_EQ(focused(), child<QPushButton>(&help, "cmdOK"));
    for (int index : {1, 1, 0}) {
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(index).center());
        QWidget* w = help.childAt(child<QFrame>(&help, "Frames0")->geometry().center());
        while (w && !w->objectName().startsWith(QLatin1String("Frames"))) w = w->parentWidget();
        EXPECT_EQ(w, child<QFrame>(&help, index ? "Frames1" : "Frames0"));
    }
    // Neither page is hidden: only the stacking order decides which one shows.
    EXPECT_TRUE(child<QFrame>(&help, "Frames1")->isVisible());
}

// Names every label and button of window whose text would be cut off.
std::string cutOffTexts(QWidget* window) {
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() &&
            (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                               : label->sizeHint().width() > label->width()))
            cut << label->objectName();
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) + 6 >
            button->width())
            cut << button->objectName();
    }
    return cut.join(", ").toStdString();
}

TEST(InfoWindows, EveryTextFitsAtSmallAndLargeDesktopFonts) {
    const QFont desktopFont = QApplication::font();
    for (qreal points : {8.0, 11.0, 14.0}) {
        QFont font = desktopFont;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        FakeServices fakes;
        frmHelp help;
        frmAbout about(fakes.services);
        showAndWait(&help);
        child<QTabBar>(&help, "TabStrip1")->setCurrentIndex(1);
        EXPECT_EQ(cutOffTexts(&help), "") << points << " pt";
        // The hotkey table needs no sideways scrolling.
        EXPECT_EQ(child<QPlainTextEdit>(&help, "Text1")->horizontalScrollBar()->maximum(), 0)
            << points << " pt";
        showAndWait(&about);
        EXPECT_EQ(cutOffTexts(&about), "") << points << " pt";
    }
    QApplication::setFont(desktopFont);
}

// Replaces the whole HKEY_LOCAL_MACHINE file; keys is the text after the header.
void writeMachineRegistry(const std::string& keys, bool readOnly = false) {
    MakeDirectories(SystemRegistryDir());
    const std::string file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
    chmod(file.c_str(), 0644);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                                            << keys;
    if (readOnly) chmod(file.c_str(), 0444);
}

TEST(GetKeyValue, ReadsTextAndNumbersAndReportsWhatIsMissing) {
    const std::string fits(1023, 'y');  // 1024 bytes with its NUL: just fits the buffer
    writeMachineRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quill\\Values]\r\n\"Accents\"=\"Überprüfung\"\r\n"
        "\"Number\"=dword:000a0b2c\r\n\"Long\"=\"" +
        std::string(1100, 'x') + "\"\r\n\"Fits\"=\"" + fits + "\"\r\n");
    const char* const key = "SOFTWARE\\Quill\\Values";
    const std::tuple<const char*, const char*, bool, QString> rows[] = {
        // key, value, found, the text afterwards (it starts as "before")
        {"software\\quill\\values", "accents", true, "Überprüfung"},  // any case
        {key, "Number", true, "&h000A0B2C"},
        {key, "Fits", true, QString::fromStdString(fits)},
        {key, "Long", false, ""},
        {"SOFTWARE\\Quill\\Nowhere", "Text", false, ""}};
    for (const auto& [keyName, value, found, expected] : rows) {
        QString keyVal = QStringLiteral("before");
        const bool got = frmAbout::GetKeyValue(win::HKEY_LOCAL_MACHINE, QLatin1String(keyName),
                                               QLatin1String(value), keyVal);
        EXPECT_TRUE(got == found && keyVal == expected) << value << ": " << keyVal.toStdString();
    }
}

TEST(AboutBox, ShowsItsVersionAndSystemInfoStartsWhatTheRegistryNames) {
    FakeServices fakes;
    frmAbout about{fakes.services};
    showAndWait(&about);
    // The minor part padded to two digits, the revision to four.
    EXPECT_TRUE(QRegularExpression("^Version \\d+\\.\\d{2}\\.\\d{4,}$")
                    .match(child<QLabel>(&about, "lblVersion")->text())
                    .hasMatch());
    auto* ok = child<QPushButton>(&about, "cmdOK");
    EXPECT_TRUE(ok->isDefault() && focused() == ok);
    EXPECT_EQ(ok->nextInFocusChain(), child<QPushButton>(&about, "cmdSysInfo"));
    const std::string path = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n";
    const std::string folder =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\r\n\"MSINFO\"=";
    // what, registry, files that exist, the start works, programs started, unavailable, read-only
    using Row = std::tuple<const char*, std::string, QStringList, bool, QStringList, bool, bool>;
    const std::string tools = folder + "\"C:\\\\Tools\"\r\n",
                      sysinfo = path + "\"PATH\"=\"/usr/bin/sysinfo\"\r\n";
    const QString inTools = "C:\\Tools\\MSINFO32.EXE", inOpt = "/opt/sysinfo/MSINFO32.EXE";
    // clang-format off
    const Row rows[] = {
        {"path wins over the folder", path + "\"PATH\"=\"C:\\\\Win\\\\msinfo32.exe\"\r\n" + tools, {inTools}, true,
         {"C:\\Win\\msinfo32.exe"}, false, false},
        {"folder with the program", tools, {inTools}, true, {inTools}, false, false},
        {"Linux folder with the program", folder + "\"/opt/sysinfo/\"\r\n", {inOpt}, true, {inOpt}, false, false},
        {"folder without the program", tools, {}, true, {}, true, false},
        {"neither value", path + "\"Other\"=\"x\"\r\n", {}, true, {}, true, false},
        {"path of another type", path + "\"PATH\"=hex:43,3a,00\r\n", {}, true, {}, true, false},
        {"program fails to start", sysinfo, {}, false, {"/usr/bin/sysinfo"}, true, false},
        // The lookup asks for set-value rights; a read-only registry file refuses them.
        {"key not open for change", sysinfo, {}, true, {}, true, true},
    };
    // clang-format on
    for (const auto& [what, registry, existing, startWorks, started, unavailable, readOnly] : rows) {
        writeMachineRegistry(registry, readOnly);
        fakes.launcher.existing = existing;
        fakes.launcher.startResult = startWorks;
        fakes.launcher.started.clear();
        fakes.messageBox.texts.clear();
        fakes.messageBox.captions.clear();
        QTest::mouseClick(child<QPushButton>(&about, "cmdSysInfo"), Qt::LeftButton);
        EXPECT_EQ(fakes.launcher.started, started) << what;
        const QStringList message{"System Information Is Unavailable At This Time", "DEVivIv"};
        EXPECT_EQ(fakes.messageBox.texts + fakes.messageBox.captions, unavailable ? message : QStringList())
            << what;
        EXPECT_TRUE(about.isVisible()) << what;  // the box stays open either way
    }
}

}  // namespace
}  // namespace qm::test
