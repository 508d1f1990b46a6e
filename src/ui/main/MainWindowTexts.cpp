#include "ui/main/MainWindowTexts.h"

namespace vyper {

QStringList BannerLines(int versionMinor, int versionRevision) {
    return {
        QStringLiteral("Suunto Vyper/Cobra Quappe (Grundelnetz) - Version 1.%1.%2").arg(versionMinor).arg(versionRevision),
        QStringLiteral("Liest Einstellungen und Tauchgänge aus Suunto Vyper und Cobra."),
        QString(79, QLatin1Char('_')),
    };
}

QString TitleVersionSuffix(int versionMinor, int versionRevision) {
    return QStringLiteral(" 1.%1.%2").arg(versionMinor).arg(versionRevision);
}

QStringList DiveCountEntries() {
    QStringList entries{QStringLiteral("Alle")};
    for (int i = 1; i <= 99; ++i) entries << QString::number(i);
    return entries;
}

}  // namespace vyper
