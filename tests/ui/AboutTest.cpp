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
void writeMachineRegistry(const std::string& keys, bool readOnly = false) {
    MakeDirectories(SystemRegistryDir());
    const std::string file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
    chmod(file.c_str(), 0644);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                                            << keys;
    if (readOnly) chmod(file.c_str(), 0444);
}

TEST(VersionText, PadsMinorToTwoAndRevisionToFourDigits) {
    EXPECT_EQ(VersionText(4, 0, 187), "Version 4.00.0187");
    EXPECT_EQ(VersionText(12, 5, 3), "Version 12.05.0003");
    EXPECT_EQ(VersionText(1, 10, 12345), "Version 1.10.12345");
}

TEST(GetKeyValue, ReadsTextAndNumbersAndReportsWhatIsMissing) {
    const std::string fits(1023, 'y');  // 1024 bytes with its NUL: just fits the buffer
    writeMachineRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quill\\Values]\r\n\"Accents\"=\"Überprüfung\"\r\n"
        "\"Number\"=dword:000a0b2c\r\n\"Blob\"=hex:41,42,00\r\n\"Long\"=\"" +
        std::string(1100, 'x') + "\"\r\n\"Fits\"=\"" + fits + "\"\r\n");
    const char* const key = "SOFTWARE\\Quill\\Values";
    const std::tuple<const char*, const char*, bool, QString> rows[] = {
        // key, value, found, the text afterwards (it starts as "before")
        {"software\\quill\\values", "accents", true, "Überprüfung"},  // any case
        {key, "Number", true, "&h000A0B2C"},
        {key, "Blob", true, "before"},
        {key, "Fits", true, QString::fromStdString(fits)},
        {key, "Long", false, ""},
        {key, "Absent", false, ""},
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
    EXPECT_EQ(child<QLabel>(&about, "lblVersion")->text(),
              VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    auto* ok = child<QPushButton>(&about, "cmdOK");
    EXPECT_TRUE(ok->isDefault() && focused() == ok);
    EXPECT_EQ(ok->nextInFocusChain(), child<QPushButton>(&about, "cmdSysInfo"));
    const std::string path = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n";
    const std::string folder =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\r\n\"MSINFO\"=";
    struct Row {
        const char* what;
        std::string registry;
        QStringList existing;
        bool startWorks;
        QStringList started;
        bool unavailable;
        bool readOnly = false;
    };
    const std::string tools = folder + "\"C:\\\\Tools\"\r\n",
                      sysinfo = path + "\"PATH\"=\"/usr/bin/sysinfo\"\r\n";
    const QString inTools = "C:\\Tools\\MSINFO32.EXE", inOpt = "/opt/sysinfo/MSINFO32.EXE";
    // clang-format off
    const Row rows[] = {
        {"path wins over the folder", path + "\"PATH\"=\"C:\\\\Win\\\\msinfo32.exe\"\r\n" + tools, {inTools}, true,
         {"C:\\Win\\msinfo32.exe"}, false},
        {"folder with the program", tools, {inTools}, true, {inTools}, false},
        {"Linux folder with the program", folder + "\"/opt/sysinfo/\"\r\n", {inOpt}, true, {inOpt}, false},
        {"folder without the program", tools, {}, true, {}, true},
        {"neither value", path + "\"Other\"=\"x\"\r\n", {}, true, {}, true},
        {"path of another type", path + "\"PATH\"=hex:43,3a,00\r\n", {}, true, {}, true},
        {"program fails to start", sysinfo, {}, false, {"/usr/bin/sysinfo"}, true},
        // The lookup asks for set-value rights; a read-only registry file refuses them.
        {"key not open for change", sysinfo, {}, true, {}, true, true},
    };
    // clang-format on
    for (const Row& row : rows) {
        writeMachineRegistry(row.registry, row.readOnly);
        fakes.launcher.existing = row.existing;
        fakes.launcher.startResult = row.startWorks;
        fakes.launcher.started.clear();
        fakes.messageBox.texts.clear();
        fakes.messageBox.captions.clear();
        QTest::mouseClick(child<QPushButton>(&about, "cmdSysInfo"), Qt::LeftButton);
        EXPECT_EQ(fakes.launcher.started, row.started) << row.what;
        const QStringList unavailable{"System Information Is Unavailable At This Time", "DEVivIv"};
        EXPECT_EQ(fakes.messageBox.texts + fakes.messageBox.captions, row.unavailable ? unavailable : QStringList())
            << row.what;
        EXPECT_TRUE(about.isVisible()) << row.what;  // the box stays open either way
    }
    writeMachineRegistry("");
}

}  // namespace
}  // namespace qm::test
