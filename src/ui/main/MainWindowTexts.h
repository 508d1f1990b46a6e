#pragma once
#include <QString>
#include <QStringList>

namespace vyper {

// The window title as designed, before start-up appends the version.
inline const QString kDesignedTitle = QStringLiteral("Suunto Vyper Quappe (Grundelnetz) - Version ");

// The three banner lines of the message list: version, credit line, 79 underscores.
QStringList BannerLines(int versionMinor, int versionRevision);
// What start-up appends to the title: " 1.<minor>.<revision>".
QString TitleVersionSuffix(int versionMinor, int versionRevision);
// The entries of the dive-count box: "Alle", then "1" to "99".
QStringList DiveCountEntries();

}  // namespace vyper
