// SPDX-License-Identifier: MIT
// The build's pre-rendered icons must look exactly like the SVGs they come from.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "resources/AppIconEngine.h"

namespace qm {
namespace {

TEST(AppIcon, DrawsWhatTheSvgDraws) {
    const char* names[] = {"Exit", "Copy",    "Options",    "WebSite",  "About",
                           "Help", "General", "Parameters", "quillmark"};
    // Baked sizes (24, 32) and sizes only the SVG has (17, 40), in the modes the windows use.
    for (const char* name : names) {
        const QIcon baked = AppIcon(QString::fromLatin1(name));
        const QIcon svg(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(name)));
        for (int size : {17, 24, 32, 40}) {
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
                EXPECT_EQ(baked.pixmap(QSize(size, size), mode).toImage(),
                          svg.pixmap(QSize(size, size), mode).toImage())
                    << name << " at " << size << " in mode " << mode;
            }
        }
    }
}

}  // namespace
}  // namespace qm
