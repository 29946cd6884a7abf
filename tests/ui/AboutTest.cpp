// SPDX-License-Identifier: MIT
#include <QLabel>
#include <QPushButton>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "FakeServices.h"
#include "UiTestSupport.h"
#include "Version.h"
#include "platform/Directories.h"
#include "platform/Registry.h"
#include "ui/frmAbout.h"

namespace qm::test {
namespace {

const char* const kUnavailable = "System Information Is Unavailable At This Time";

// Replaces the whole HKEY_LOCAL_MACHINE file; keys is the text after the header.
void writeMachineRegistry(const std::string& keys)
{
    MakeDirectories(SystemRegistryDir());
    const std::string file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
    chmod(file.c_str(), 0644);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        << "Windows Registry Editor Version 5.00\r\n\r\n" << keys;
}

TEST(VersionText, PadsMinorToTwoAndRevisionToFourDigits)
{
    struct Row {
        int major, minor, revision;
        const char* expected;
    };
    for (const Row& row : {Row{4, 0, 187, "Version 4.00.0187"}, Row{12, 5, 3, "Version 12.05.0003"},
                           Row{1, 10, 12345, "Version 1.10.12345"}, Row{0, 0, 0, "Version 0.00.0000"}})
        EXPECT_EQ(VersionText(row.major, row.minor, row.revision), QLatin1String(row.expected));
}

TEST(GetKeyValue, ReadsTextAndNumbersAndReportsWhatIsMissing)
{
    const std::string longText(1100, 'x');
    const std::string fits(1023, 'y');  // 1024 bytes with its NUL: just fits the buffer
    writeMachineRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quill\\Values]\r\n"
                         "\"Text\"=\"C:\\\\Tools\\\\msinfo32.exe\"\r\n"
                         "\"Accents\"=\"Überprüfung\"\r\n"
                         "\"Empty\"=\"\"\r\n"
                         "\"Small\"=dword:0000002a\r\n"
                         "\"Spread\"=dword:01020304\r\n"
                         "\"Blob\"=hex:41,42,00\r\n"
                         "\"Long\"=\"" + longText + "\"\r\n"
                         "\"Fits\"=\"" + fits + "\"\r\n");
    struct Row {
        const char* key;
        const char* value;
        bool found;
        QString expected;  // KeyVal afterwards; it starts as "before"
    };
    const Row rows[] = {
        {"SOFTWARE\\Quill\\Values", "Text", true, QStringLiteral("C:\\Tools\\msinfo32.exe")},
        {"software\\quill\\values", "text", true, QStringLiteral("C:\\Tools\\msinfo32.exe")},
        {"SOFTWARE\\Quill\\Values", "Accents", true, QStringLiteral("Überprüfung")},
        {"SOFTWARE\\Quill\\Values", "Empty", true, QString()},
        {"SOFTWARE\\Quill\\Values", "Small", true, QStringLiteral("&h0000002A")},
        {"SOFTWARE\\Quill\\Values", "Spread", true, QStringLiteral("&h01020304")},
        {"SOFTWARE\\Quill\\Values", "Blob", true, QStringLiteral("before")},
        {"SOFTWARE\\Quill\\Values", "Fits", true, QString::fromStdString(fits)},
        {"SOFTWARE\\Quill\\Values", "Long", false, QString()},
        {"SOFTWARE\\Quill\\Values", "Absent", false, QString()},
        {"SOFTWARE\\Quill\\Nowhere", "Text", false, QString()},
    };
    for (const Row& row : rows) {
        QString keyVal = QStringLiteral("before");
        EXPECT_EQ(frmAbout::GetKeyValue(win::HKEY_LOCAL_MACHINE, QLatin1String(row.key),
                                        QLatin1String(row.value), keyVal),
                  row.found)
            << row.key << " " << row.value;
        EXPECT_EQ(keyVal, row.expected) << row.key << " " << row.value;
    }
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override { showAndWait(&about); }

    FakeServices fakes;
    frmAbout about{fakes.services};
};

TEST_F(AboutBox, ShowsNameVersionAndDescription)
{
    EXPECT_EQ(about.windowTitle(), QLatin1String("About Quillmark 98"));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    auto* title = child<QLabel>(&about, "lblTitle");
    EXPECT_EQ(title->text(), QLatin1String("Quillmark 98"));
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->font().pointSize(), 12);
    EXPECT_EQ(child<QLabel>(&about, "lblVersion")->text(),
              VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    EXPECT_EQ(child<QLabel>(&about, "lblDescription")->text(),
              QLatin1String("Facilitates easy and professionally formatted comments for a multitude "
                            "of development languages.  Simply specify the requested fields and "
                            "your comments are formatted and send to the clipboard for easy "
                            "insertion into your project."));
    EXPECT_FALSE(child<QLabel>(&about, "Label1")->text().isEmpty());
    EXPECT_FALSE(child<QLabel>(&about, "lblDisclaimer")->text().isEmpty());
    EXPECT_FALSE(child<QLabel>(&about, "picIcon")->pixmap().isNull());
    EXPECT_EQ(child<QPushButton>(&about, "cmdSysInfo")->text(), QLatin1String("&System Info..."));
    auto* ok = child<QPushButton>(&about, "cmdOK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(focused(), ok);  // first in the tab order
    EXPECT_EQ(ok->nextInFocusChain(), child<QPushButton>(&about, "cmdSysInfo"));
}

TEST_F(AboutBox, EscapeAndEnterOnlyHideIt)
{
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    showAndWait(&about);
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(child<QLabel>(&about, "lblVersion")->text().isEmpty());
}

TEST(AboutModal, EscapeEndsTheModalShow)
{
    FakeServices fakes;
    frmAbout about(fakes.services);
    ModalAnswer answer("qm::frmAbout",
                       [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    about.exec();
    EXPECT_TRUE(answer.answered());
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutBox, SystemInfoStartsWhatTheRegistryNamesOrSaysItIsUnavailable)
{
    const std::string pathKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n";
    const std::string folderKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\r\n";
    struct Row {
        const char* what;
        std::string registry;
        QStringList existing;
        bool startWorks;
        QStringList started;
        bool unavailable;
    };
    const Row rows[] = {
        {"path wins over the folder",
         pathKey + "\"PATH\"=\"C:\\\\Win\\\\msinfo32.exe\"\r\n" + folderKey
             + "\"MSINFO\"=\"C:\\\\Tools\"\r\n",
         {"C:\\Tools\\MSINFO32.EXE"}, true, {"C:\\Win\\msinfo32.exe"}, false},
        {"folder with the program", folderKey + "\"MSINFO\"=\"C:\\\\Tools\"\r\n",
         {"C:\\Tools\\MSINFO32.EXE"}, true, {"C:\\Tools\\MSINFO32.EXE"}, false},
        {"Linux folder with the program", folderKey + "\"MSINFO\"=\"/opt/sysinfo/\"\r\n",
         {"/opt/sysinfo/MSINFO32.EXE"}, true, {"/opt/sysinfo/MSINFO32.EXE"}, false},
        {"folder without the program", folderKey + "\"MSINFO\"=\"C:\\\\Tools\"\r\n", {}, true, {},
         true},
        {"neither value", pathKey + "\"Other\"=\"x\"\r\n", {}, true, {}, true},
        {"path of another type", pathKey + "\"PATH\"=hex:43,3a,00\r\n", {}, true, {}, true},
        {"program fails to start", pathKey + "\"PATH\"=\"/usr/bin/sysinfo\"\r\n", {}, false,
         {"/usr/bin/sysinfo"}, true},
    };
    for (const Row& row : rows) {
        writeMachineRegistry(row.registry);
        fakes.launcher.existing = row.existing;
        fakes.launcher.startResult = row.startWorks;
        fakes.launcher.started.clear();
        fakes.messageBox.texts.clear();
        fakes.messageBox.captions.clear();
        QTest::mouseClick(child<QPushButton>(&about, "cmdSysInfo"), Qt::LeftButton);
        EXPECT_EQ(fakes.launcher.started, row.started) << row.what;
        if (row.unavailable) {
            EXPECT_EQ(fakes.messageBox.texts, QStringList{QLatin1String(kUnavailable)}) << row.what;
            EXPECT_EQ(fakes.messageBox.captions, QStringList{QStringLiteral("DEVivIv")}) << row.what;
        } else {
            EXPECT_TRUE(fakes.messageBox.texts.isEmpty()) << row.what;
        }
        EXPECT_TRUE(about.isVisible()) << row.what;  // the box stays open either way
    }
}

TEST_F(AboutBox, KeysThatCannotBeOpenedForChangeCountAsAbsent)
{
    // The lookup asks for set-value rights; a read-only registry file refuses them.
    writeMachineRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"
                         "\"PATH\"=\"/usr/bin/sysinfo\"\r\n");
    const std::string file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    about.StartSysInfo();
    EXPECT_TRUE(fakes.launcher.started.isEmpty());
    EXPECT_EQ(fakes.messageBox.texts, QStringList{QLatin1String(kUnavailable)});
    chmod(file.c_str(), 0644);
}

}  // namespace
}  // namespace qm::test
