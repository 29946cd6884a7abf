// SPDX-License-Identifier: MIT
// The application's style, with the toolbar extension arrows loaded only when first drawn.
#pragma once
#include <QProxyStyle>

namespace qm {

// Draws everything as the style it wraps does. Every QToolBar asks for the picture of its
// extension arrow as it is built, and loading that picture makes Qt load every image-format
// plugin (and with the SVG one, the SVG library) to ask whether it reads PNG. The arrow shows
// only when a toolbar is too narrow for its buttons, which the main window's never is, so the
// icon handed out here loads the picture when it is first drawn, from the wrapped style.
class DeferredIconStyle : public QProxyStyle {
public:
    // Takes ownership of base, as QProxyStyle does.
    explicit DeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace qm
