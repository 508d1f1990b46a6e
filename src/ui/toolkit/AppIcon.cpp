#include "ui/toolkit/AppIcon.h"

#include <QPixmap>

namespace vyper {

QString DesktopId() { return QStringLiteral(VYPER_APP_ID); }

QIcon ApplicationIcon() {
    // PNGs rather than the SVG, so that no image plugin beyond Qt's own is needed. Only
    // the sizes that load are added: a missing one then shows up as missing.
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QPixmap pixmap(QStringLiteral(":/icons/%1x%1/apps/%2.png").arg(size).arg(DesktopId()));
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace vyper
