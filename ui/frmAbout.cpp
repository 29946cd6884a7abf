// SPDX-License-Identifier: MIT
#include "ui/frmAbout.h"

#include <algorithm>
#include <cstdint>

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "Version.h"
#include "platform/qt/Services.h"
#include "resources/AppIconEngine.h"
#include "ui/FormLayout.h"

namespace qm {
namespace {

const char* const kUnavailable = "System Information Is Unavailable At This Time";
const char* const kInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const char* const kInfoProgram = "MSINFO32.EXE";

// Query, set, create subkey, enumerate, notify, create link and read-control rights.
constexpr std::uint32_t kOpenMask = 0x2003F;
constexpr std::uint32_t kBufferSize = 1024;

// A paragraph that still needs more lines than its place holds may use the free width beside it.
void WidenToFit(QLabel* label, int maxWidth) {
    if (label->heightForWidth(label->width()) > label->height())
        label->resize(std::max(label->width(), maxWidth), label->height());
}

// One half of the etched separator: a horizontal line thickness pixels high.
void AddLine(QWidget* parent, const char* name, const QColor& colour, int left, int right, int top,
             int thickness) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    const int x = FormTwipsX(parent, left);
    line->setGeometry(x, FormTwipsY(parent, top), FormTwipsX(parent, right) - x, thickness);
}

// The folder may come from a Windows-style value or a Linux one; try the program beside it
// both ways.
QStringList ProgramInFolder(const QString& folder) {
    QStringList candidates{folder + QLatin1Char('\\') + QLatin1String(kInfoProgram)};
    if (folder.contains(QLatin1Char('/'))) {
        QString base = folder;
        while (base.size() > 1 && base.endsWith(QLatin1Char('/'))) base.chop(1);
        candidates << base + QLatin1Char('/') + QLatin1String(kInfoProgram);
    }
    return candidates;
}

}  // namespace

QString VersionText(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(revision, 4, 10, QLatin1Char('0'));
}

frmAbout::frmAbout(Services& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillmark 98"));
    FixClientSizeTwips(this, 5730, 3945);

    // OK first and System Info second in the tab order: creation order sets it.
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdOK->setAutoDefault(true);
    PlaceTwips(m_cmdOK, 4245, 2625, 1260, 345);
    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    PlaceTwips(cmdSysInfo, 4260, 3075, 1245, 345);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    PlaceTwips(picIcon, 240, 240, 480, 480);

    // The three short lines stay on one line each; the form grows to fit them if need be.
    QLabel* title = AddParagraph(this, "lblTitle", QStringLiteral("Quillmark 98"));
    title->setWordWrap(false);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(12);
    title->setFont(titleFont);
    PlaceTwips(title, 1020, 240, 2970, 300);
    m_lblVersion = AddParagraph(this, "lblVersion", QStringLiteral("Version"));
    m_lblVersion->setWordWrap(false);
    PlaceTwips(m_lblVersion, 1050, 600, 3885, 225);
    QLabel* copyright =
        AddParagraph(this, "Label1", QStringLiteral("Copyright \u00A9 2026 The Quillmark 98 developers"));
    copyright->setWordWrap(false);
    PlaceTwips(copyright, 1050, 840, 3885, 225);
    QLabel* description = AddParagraph(
        this, "lblDescription",
        QStringLiteral("Facilitates easy and professionally formatted comments for a multitude of "
                       "development languages.  Simply specify the requested fields and your "
                       "comments are formatted and send to the clipboard for easy insertion into "
                       "your project."));
    QLabel* disclaimer = AddParagraph(
        this, "lblDisclaimer",
        QStringLiteral("Warning: this program is provided as is, without warranty of any kind. It "
                       "is free software under the MIT License; you use it at your own risk."));
    Form_Load();

    FitFormToCaptions(this);
    picIcon->setPixmap(AppIcon(QStringLiteral("quillmark")).pixmap(picIcon->size()));
    PlaceScaledTwips(description, 1050, 1320, 3885, 1050);
    PlaceScaledTwips(disclaimer, 255, 2625, 3870, 1185);
    WidenToFit(description, FormTwipsX(this, 5730 - 120) - description->x());
    WidenToFit(disclaimer, m_cmdOK->x() - disclaimer->x() - FormTwipsX(this, 60));
    AddLine(this, "Line1_1", QColor(128, 128, 128), 90, 5654, 2445, 1);
    AddLine(this, "Line1_0", QColor(255, 255, 255), 105, 5654, 2460, 2);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    setWindowIcon(AppIcon(QStringLiteral("quillmark")));
    m_cmdOK->setFocus();
}

void frmAbout::Form_Load() {
    m_lblVersion->setText(VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
}

void frmAbout::cmdOK_Click() {
    hide();  // stays loaded; a modal show returns here
}

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo() {
    ProgramLauncher& launcher = m_services.launcher;
    QString path;
    bool started = false;
    if (GetKeyValue(win::HKEY_LOCAL_MACHINE, QLatin1String(kInfoKey), QStringLiteral("PATH"), path)) {
        // A value of another type is found but names nothing to start.
        started = !path.isEmpty() && launcher.start(path);
    } else if (GetKeyValue(win::HKEY_LOCAL_MACHINE, QLatin1String(kInfoFolderKey), QStringLiteral("MSINFO"),
                           path)) {
        for (const QString& program : ProgramInFolder(path)) {
            if (launcher.fileExists(program)) {
                started = launcher.start(program);
                break;
            }
        }
    }
    if (!started) m_services.messageBox.show(this, QLatin1String(kUnavailable), kAppTitle);
}

bool frmAbout::GetKeyValue(win::HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(KeyRoot, KeyName.toStdString(), 0, kOpenMask, &key) != win::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    unsigned char buffer[kBufferSize] = {};
    std::uint32_t size = kBufferSize;
    std::uint32_t type = 0;
    if (win::RegQueryValueEx(key, SubKeyRef.toStdString(), &type, buffer, &size) != win::ERROR_SUCCESS) {
        KeyVal.clear();
        win::RegCloseKey(key);
        return false;
    }
    size = std::min(size, kBufferSize);
    if (type == win::REG_SZ) {
        std::uint32_t length = size;
        if (length > 0 && buffer[length - 1] == 0) --length;
        KeyVal = QString::fromUtf8(reinterpret_cast<const char*>(buffer), qsizetype(length));
    } else if (type == win::REG_DWORD) {
        // Two digits for every byte: dropping a byte's leading zero would make 0x0102 and
        // 0x12 read the same.
        QString digits = QStringLiteral("&h");
        for (std::uint32_t i = size; i > 0; --i)
            digits += QStringLiteral("%1").arg(buffer[i - 1], 2, 16, QLatin1Char('0')).toUpper();
        KeyVal = digits;
    }
    win::RegCloseKey(key);
    return true;
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // OK is the cancel button as well: Esc presses it rather than closing the box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qm
