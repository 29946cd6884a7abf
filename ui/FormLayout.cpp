// SPDX-License-Identifier: MIT
#include "ui/FormLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QRect>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/qt/Services.h"

namespace qm {
namespace {

const char* const kTwipRect = "qmTwipRect";
const char* const kTwipClient = "qmTwipClient";
const char* const kScale = "qmTwipScale";
constexpr double kMaxScale = 2.5;

double FormScale(const QWidget* w) {
    const QVariant scale = w->window()->property(kScale);
    return scale.isValid() ? scale.toDouble() : 1.0;
}

// FormTwipsX and FormTwipsY with the form's scale looked up once for a whole rectangle.
int ScaledX(const QWidget* w, double scale, int twips) {
    return TwipsToPixelsX(static_cast<int>(std::lround(twips * scale)), w);
}

int ScaledY(const QWidget* w, double scale, int twips) {
    return TwipsToPixelsY(static_cast<int>(std::lround(twips * scale)), w);
}

void Place(QWidget* w, const QRect& twips) {
    // Converting both edges and taking the difference keeps neighbouring controls from
    // drifting apart by rounding.
    const double scale = FormScale(w);
    const int x = ScaledX(w, scale, twips.left());
    const int y = ScaledY(w, scale, twips.top());
    w->setGeometry(x, y, ScaledX(w, scale, twips.left() + twips.width()) - x,
                   ScaledY(w, scale, twips.top() + twips.height()) - y);
}

void FixSize(QWidget* window, const QSize& twips) {
    const double scale = FormScale(window);
    window->setFixedSize(ScaledX(window, scale, twips.width()), ScaledY(window, scale, twips.height()));
}

// How much wider than its place the caption of w would like to be.
double CaptionOverflow(const QWidget* w) {
    const bool captioned = qobject_cast<const QLabel*>(w) || qobject_cast<const QRadioButton*>(w) ||
                           qobject_cast<const QCheckBox*>(w);
    if (!captioned || w->width() <= 0 || !w->property(kTwipRect).isValid()) return 1.0;
    return static_cast<double>(w->sizeHint().width()) / w->width();
}

}  // namespace

int FormTwipsX(const QWidget* w, int twips) { return ScaledX(w, FormScale(w), twips); }

int FormTwipsY(const QWidget* w, int twips) { return ScaledY(w, FormScale(w), twips); }

void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
    const QRect twips(left, top, width, height);
    w->setProperty(kTwipRect, twips);
    Place(w, twips);
}

void FixClientSizeTwips(QWidget* window, int width, int height, bool minimizeButton) {
    window->setProperty(kTwipClient, QSize(width, height));
    FixSize(window, QSize(width, height));
    Qt::WindowFlags flags = window->windowFlags();
    flags |=
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint);
    if (minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
    else flags &= ~Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);
}

void FitFormToCaptions(QWidget* window) {
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    double overflow = 1.0;
    for (const QWidget* w : controls) overflow = std::max(overflow, CaptionOverflow(w));
    if (overflow <= 1.0) return;
    // A little to spare, rounded so the factor is a plain number.
    const double scale = std::min(kMaxScale, std::ceil(overflow * 1.02 * 20.0) / 20.0);
    window->setProperty(kScale, scale);
    for (QWidget* w : controls) {
        const QVariant twips = w->property(kTwipRect);
        if (twips.isValid()) Place(w, twips.toRect());
    }
    const QVariant client = window->property(kTwipClient);
    if (client.isValid()) FixSize(window, client.toSize());
}

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QLabel* AddParagraph(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void PlaceScaledTwips(QWidget* w, int left, int top, int width, int height) {
    Place(w, QRect(left, top, width, height));
}

}  // namespace qm
