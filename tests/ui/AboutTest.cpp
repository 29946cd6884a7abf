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

// Replaces the whole HKEY_LOCAL_MACHINE file; keys is the text after the header.
void writeMachineRegistry(const std::string& keys, bool readOnly = false)
{
    MakeDirectories(SystemRegistryDir());
    const std::string file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
    chmod(file.c_str(), 0644);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        << "Windows Registry Editor Version 5.00\r\n\r\n" << keys;
    if (readOnly)
        chmod(file.c_str(), 0444);
}

TEST(VersionText, PadsMinorToTwoAndRevisionToFourDigits)
{
    EXPECT_EQ(VersionText(4, 0, 187), "Version 4.00.0187");
    EXPECT_EQ(VersionText(12, 5, 3), "Version 12.05.0003");
    EXPECT_EQ(VersionText(1, 10, 12345), "Version 1.10.12345");
}

TEST(GetKeyValue, ReadsTextAndNumbersAndReportsWhatIsMissing)
{
    const std::string fits(1023, 'y');  // 1024 bytes with its NUL: just fits the buffer
    writeMachineRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quill\\Values]\r\n"
                         "\"Accents\"=\"Überprüfung\"\r\n\"Number\"=dword:000a0b2c\r\n"
                         "\"Blob\"=hex:41,42,00\r\n"
                         "\"Long\"=\"" + std::string(1100, 'x') + "\"\r\n"
                         "\"Fits\"=\"" + fits + "\"\r\n");
    const char* const key = "SOFTWARE\\Quill\\Values";
    const std::tuple<const char*, const char*, bool, QString> rows[] = {
        // key, value, found, the text afterwards (it starts as "before")
        {"software\\quill\\values", "accents", true, "Überprüfung"},  // any case
        {key, "Number", true, "&h000A0B2C"},
        {key, "Blob", true, "before"},
        {key, "Fits", true, QString::fromStdString(fits)},
        {key, "Long", false, ""},
        {key, "Absent", false, ""},
        {"SOFTWARE\\Quill\\Nowhere", "Text", false, ""},
    };
    for (const auto& [keyName, value, found, expected] : rows) {
        QString keyVal = QStringLiteral("before");
        EXPECT_EQ(frmAbout::GetKeyValue(win::HKEY_LOCAL_MACHINE, QLatin1String(keyName),
                                        QLatin1String(value), keyVal),
                  found)
            << value;
        EXPECT_EQ(keyVal, expected) << value;
    }
}

class AboutBox : public ::testing::Test {
protected:
    FakeServices fakes;
    frmAbout about{fakes.services};
};

TEST_F(AboutBox, ShowsItsVersionAndStartsOnOk)
{
    showAndWait(&about);
    EXPECT_EQ(child<QLabel>(&about, "lblVersion")->text(),
              VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    auto* ok = child<QPushButton>(&about, "cmdOK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(focused(), ok);
    EXPECT_EQ(ok->nextInFocusChain(), child<QPushButton>(&about, "cmdSysInfo"));
}

TEST_F(AboutBox, EscapeAndEnterEndTheModalShow)
{
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        frmAbout modal(fakes.services);
        ModalAnswer answer("qm::frmAbout", [key](QDialog*) { QTest::keyClick(focused(), key); });
        modal.exec();
        EXPECT_FALSE(modal.isVisible()) << key;
    }
}

TEST_F(AboutBox, SystemInfoStartsWhatTheRegistryNamesOrSaysItIsUnavailable)
{
    showAndWait(&about);
    const std::string path = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n";
    const std::string folder =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\r\n\"MSINFO\"=";
    const QString tools = "C:\\Tools\\MSINFO32.EXE";
    struct Row {
        const char* what;
        std::string registry;
        QStringList existing;
        bool startWorks;
        QStringList started;
        bool unavailable;
        bool readOnly = false;
    };
    const Row rows[] = {
        {"path wins over the folder",
         path + "\"PATH\"=\"C:\\\\Win\\\\msinfo32.exe\"\r\n" + folder + "\"C:\\\\Tools\"\r\n",
         {tools}, true, {"C:\\Win\\msinfo32.exe"}, false},
        {"folder with the program", folder + "\"C:\\\\Tools\"\r\n", {tools}, true, {tools}, false},
        {"Linux folder with the program", folder + "\"/opt/sysinfo/\"\r\n",
         {"/opt/sysinfo/MSINFO32.EXE"}, true, {"/opt/sysinfo/MSINFO32.EXE"}, false},
        {"folder without the program", folder + "\"C:\\\\Tools\"\r\n", {}, true, {}, true},
        {"neither value", path + "\"Other\"=\"x\"\r\n", {}, true, {}, true},
        {"path of another type", path + "\"PATH\"=hex:43,3a,00\r\n", {}, true, {}, true},
        {"program fails to start", path + "\"PATH\"=\"/usr/bin/sysinfo\"\r\n", {}, false,
         {"/usr/bin/sysinfo"}, true},
        // The lookup asks for set-value rights; a read-only registry file refuses them.
        {"key not open for change", path + "\"PATH\"=\"/usr/bin/sysinfo\"\r\n", {}, true, {},
         true, true},
    };
    for (const Row& row : rows) {
        writeMachineRegistry(row.registry, row.readOnly);
        fakes.launcher.existing = row.existing;
        fakes.launcher.startResult = row.startWorks;
        fakes.launcher.started.clear();
        fakes.messageBox.texts.clear();
        fakes.messageBox.captions.clear();
        QTest::mouseClick(child<QPushButton>(&about, "cmdSysInfo"), Qt::LeftButton);
        EXPECT_EQ(fakes.launcher.started, row.started) << row.what;
        const QStringList message{"System Information Is Unavailable At This Time"};
        EXPECT_EQ(fakes.messageBox.texts, row.unavailable ? message : QStringList()) << row.what;
        EXPECT_EQ(fakes.messageBox.captions, row.unavailable ? QStringList{"DEVivIv"} : QStringList())
            << row.what;
        EXPECT_TRUE(about.isVisible()) << row.what;  // the box stays open either way
    }
    writeMachineRegistry("");
}

}  // namespace
}  // namespace qm::test
