// SPDX-License-Identifier: MIT
#include "ui/frmHelp.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>

#include "ui/FormLayout.h"

namespace qm {
namespace {

// The table only lines up in a fixed-pitch font, and only without wrapping; shrink the font
// until the widest row fits beside the scroll bar.
void FitTableFont(QPlainTextEdit* box, const QString& text) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int room = box->width() - box->verticalScrollBar()->sizeHint().width() - 2 * box->frameWidth() -
                     2 * int(box->document()->documentMargin()) - 2;
    const QStringList rows = text.split(QLatin1Char('\n'));
    for (qreal size = font.pointSizeF(); size >= 6.0; size -= 0.5) {
        font.setPointSizeF(size);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& row : rows) widest = std::max(widest, metrics.horizontalAdvance(row));
        if (widest <= room) break;
    }
    box->setFont(font);
}

}  // namespace

QString HotkeyTableText() {
    static const char* const rows[][2] = {
        {"A", "Parameters / Add Parameter"},
        {"B", "General / Sub/Function Name"},
        {"C", "** APP HotKey for \"Copy to Clipboard\" **"},
        {"E", "General / Sub/Function Purpose"},
        {"F", "General / Type Function"},
        {"G", "General Tab"},
        {"I", "General / Sub/Function Returns"},
        {"N", "General / Type General"},
        {"O", "General / Type Property"},
        {"P", "Parameters Tab"},
        {"R", "Parameters / Remove Parameter"},
        {"S", "General / Type Sub"},
        {"T", "General / Access Protected"},
        {"U", "General / Access Public"},
        {"V", "General / Access Private"},
    };
    QString text = QStringLiteral("USAGE: ALT + Key\r\n\r\nKey - Tab / Function\r\n");
    for (const auto& row : rows)
        text +=
            QLatin1String(row[0]) + QLatin1String("   - ") + QLatin1String(row[1]) + QLatin1String("\r\n");
    return text;
}

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Quillmark 98 - Quick Help"));
    setWindowFlags(Qt::Tool);
    FixClientSizeTwips(this, 6255, 4950);

    // cmdOK comes first so it leads the tab order.
    m_cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdOK->setAutoDefault(true);
    PlaceTwips(m_cmdOK, 5040, 4440, 1095, 375);

    // The tab strip's body: the tabs sit on its top edge, the pages inside it.
    auto* tabBody = new QFrame(this);
    tabBody->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_tabStrip = new QTabBar(this);
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    m_tabStrip->setDrawBase(false);
    m_tabStrip->setExpanding(false);
    m_tabStrip->addTab(QStringLiteral("General Information"));
    m_tabStrip->setTabData(0, QStringLiteral("General"));
    m_tabStrip->addTab(QStringLiteral("Application HotKeys"));
    m_tabStrip->setTabData(1, QStringLiteral("HotKeys"));

    // Frames(1) first, Frames(0) after it, so the general page starts in front.
    for (int index : {1, 0}) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QStringLiteral("Frames%1").arg(index));
        frame->setFrameShape(QFrame::NoFrame);
        frame->setAutoFillBackground(true);  // a page must hide the page behind it
        PlaceTwips(frame, 240, 480, 5775, 3735);
        m_frames[index] = frame;
    }

    QLabel* general = AddParagraph(
        m_frames[0], "Label3",
        QStringLiteral("Quillmark 98 is designed by a developer for developers.  By filling in a "
                       "few easy-to-use fields, Qmark98 will create professionally formatted "
                       "comments and place them on the clipboard for insertion into your "
                       "project.  There are many HotKeys available to increase your "
                       "productivity.  The VB 5.0 Add-In Edition adds itself to your list of "
                       "available Add-Ins for easy and automatic use."));
    QLabel* intro = AddParagraph(
        m_frames[1], "Label1",
        QStringLiteral("HotKeys increase the ease of use of Quillmark 98.  Here is the list of "
                       "HotKeys available by pressing the <alt> key and the key for the operation "
                       "desired."));
    QLabel* note = AddParagraph(m_frames[1], "Label2",
                                QStringLiteral("NOTE - <ALT>-C is the app HotKey for Copy to Clipboard"));
    note->setWordWrap(false);
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);
    PlaceTwips(note, 120, 1080, 5535, 375);

    auto* table = new QPlainTextEdit(m_frames[1]);
    table->setObjectName(QStringLiteral("Text1"));
    table->setReadOnly(true);
    table->setLineWrapMode(QPlainTextEdit::NoWrap);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PlaceTwips(table, 120, 1440, 5535, 2175);

    // Grows the form when the desktop font needs more room than the design's small font.
    FitFormToCaptions(this);
    PlaceScaledTwips(general, 120, 360, 5535, 3255);
    PlaceScaledTwips(intro, 120, 360, 5535, 615);
    const int tabTop = FormTwipsY(this, 120);
    const int tabHeight = m_tabStrip->sizeHint().height();
    m_tabStrip->setGeometry(FormTwipsX(this, 120), tabTop, FormTwipsX(this, 6015), tabHeight);
    const int bodyTop = tabTop + tabHeight - 1;
    tabBody->setGeometry(FormTwipsX(this, 120), bodyTop, FormTwipsX(this, 6015),
                         tabTop + FormTwipsY(this, 4215) - bodyTop);

    // The text box shows lines, not line ends: CR LF would leave a stray CR on screen.
    QString shown = HotkeyTableText();
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.chop(1);
    FitTableFont(table, shown);
    table->setPlainText(shown);

    connect(m_tabStrip, &QTabBar::currentChanged, this, &frmHelp::TabStrip1_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmHelp::cmdOK_Click);
    m_cmdOK->setFocus();
}

void frmHelp::TabStrip1_Click() {
    const int index = m_tabStrip->currentIndex();
    if (index >= 0 && index < 2) m_frames[index]->raise();
}

void frmHelp::cmdOK_Click() { accept(); }

}  // namespace qm
