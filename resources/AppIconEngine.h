// SPDX-License-Identifier: MIT
// Our icons, drawn without Qt's SVG support wherever the build has rendered the asked-for size.
#pragma once
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QString>

namespace qm {

// The icon ":/icons/<name>.svg". A square size that the build rendered (":/icons/baked/
// <name>-<size>.png") comes from that picture; any other size comes from the SVG, which is
// loaded only then. Both give the pixels the SVG icon engine gives, in every mode and state,
// so the windows look the same while start-up skips loading the SVG libraries.
class AppIconEngine : public QIconEngine {
public:
    explicit AppIconEngine(const QString& name);

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    // The build's picture for size, or empty when it has none.
    QString bakedPath(const QSize& size) const;
    QImage baked(const QString& path) const;
    QIcon& svg();

    QString m_name;
    QIcon m_svg;
};

// AppIcon("Copy") is the icon of :/icons/Copy.svg, drawn by AppIconEngine.
QIcon AppIcon(const QString& name);

}  // namespace qm
