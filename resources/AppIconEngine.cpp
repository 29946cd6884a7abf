// SPDX-License-Identifier: MIT
#include "resources/AppIconEngine.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

namespace qm {

AppIconEngine::AppIconEngine(const QString& name) : m_name(name) {}

QString AppIconEngine::bakedPath(const QSize& size) const {
    if (size.width() != size.height()) return {};
    const QString path = QStringLiteral(":/icons/baked/%1-%2.png").arg(m_name).arg(size.width());
    return QFile::exists(path) ? path : QString();
}

QImage AppIconEngine::baked(const QString& path) const {
    QImageReader reader(path, "png");
    // The format is named, so no image plugin needs loading to ask whether it reads PNG.
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QIcon& AppIconEngine::svg() {
    if (m_svg.isNull()) m_svg = QIcon(QStringLiteral(":/icons/%1.svg").arg(m_name));
    return m_svg;
}

QPixmap AppIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    const QString path = bakedPath(size);
    if (path.isEmpty()) return svg().pixmap(size, 1.0, mode, state);

    const QString cacheKey =
        QStringLiteral("qm_appicon_%1_%2_%3").arg(m_name).arg(size.width()).arg(int(mode));
    QPixmap pm;
    if (QPixmapCache::find(cacheKey, &pm)) return pm;
    pm = QPixmap::fromImage(baked(path));
    if (pm.isNull()) return svg().pixmap(size, 1.0, mode, state);
    // The SVG holds the normal picture only; the style derives the others from it, as it
    // does for the SVG icon engine.
    if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option(0);
        option.palette = QGuiApplication::palette();
        const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        if (!generated.isNull()) pm = generated;
    }
    QPixmapCache::insert(cacheKey, pm);
    return pm;
}

void AppIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) {
    QSize pixmapSize = rect.size();
    if (painter->device()) pixmapSize *= painter->device()->devicePixelRatio();
    painter->drawPixmap(rect, pixmap(pixmapSize, mode, state));
}

QSize AppIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    // Every baked picture fills its square (the build checks), so layout needs no decoding.
    if (!bakedPath(size).isEmpty()) return size;
    const QPixmap pm = pixmap(size, mode, state);
    return pm.isNull() ? QSize() : pm.size();
}

QIconEngine* AppIconEngine::clone() const { return new AppIconEngine(*this); }

QString AppIconEngine::key() const { return QStringLiteral("qm_appicon"); }

QIcon AppIcon(const QString& name) { return QIcon(new AppIconEngine(name)); }

}  // namespace qm
