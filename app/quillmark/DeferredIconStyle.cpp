// SPDX-License-Identifier: MIT
#include "app/quillmark/DeferredIconStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace qm {
namespace {

// Stands in for the style's icon until anything needs its pictures, then passes every call on.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which, const QStyleOption* option)
        : m_style(style), m_which(which), m_hasOption(option != nullptr) {
        if (option) m_option = *option;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, 1.0, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QPixmap pm = pixmap(size, mode, state);
        return pm.isNull() ? QSize() : pm.size();
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    // Asked while the button is laid out; answering would load the pictures.
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
    QString key() const override { return QStringLiteral("qm_deferred"); }

private:
    QIcon& icon() {
        if (!m_loaded) {
            QStyle* style = m_style ? m_style.data() : QApplication::style();
            m_icon = style->standardIcon(m_which, m_hasOption ? &m_option : nullptr);
            m_loaded = true;
        }
        return m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    bool m_hasOption;
    QStyleOption m_option;
    QIcon m_icon;
    bool m_loaded = false;
};

}  // namespace

DeferredIconStyle::DeferredIconStyle(QStyle* base) : QProxyStyle(base) {}

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
    // Only as the toolbar asks: a plain option (all of it can be kept) and no widget (which
    // might be gone by the time the picture is drawn).
    const bool extensionArrow = standardIcon == SP_ToolBarHorizontalExtensionButton ||
                                standardIcon == SP_ToolBarVerticalExtensionButton;
    if (extensionArrow && !widget && (!option || option->type == QStyleOption::SO_Default))
        return QIcon(new DeferredIconEngine(baseStyle(), standardIcon, option));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

}  // namespace qm
