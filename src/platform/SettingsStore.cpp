#include "platform/SettingsStore.h"

#include <QSettings>
#include <QStandardPaths>

namespace vyper {

namespace {
QString UserSettingsPath() {
    // One file for the organisation "Vyper-Grundelnetz" (no application name), directly in
    // the user's config folder ($XDG_CONFIG_HOME or ~/.config).
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vyper-Grundelnetz.conf");
}
}  // namespace

IniSettingsStore::IniSettingsStore() : filePath_(UserSettingsPath()) {}

IniSettingsStore::IniSettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString IniSettingsStore::LoadText(const QString& section, const QString& key, const QString& fallback) const {
    QSettings settings(filePath_, QSettings::IniFormat);
    const QVariant value = settings.value(section + QLatin1Char('/') + key);
    if (!value.isValid()) return fallback;
    // A text with a comma comes back as a list; join it back to the text that was typed.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void IniSettingsStore::Save(const QString& section, const QString& key, const QString& value) {
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setValue(section + QLatin1Char('/') + key, value);
    settings.sync();
}

void IniSettingsStore::Remove(const QString& section, const QString& key) {
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.remove(section + QLatin1Char('/') + key);
    settings.sync();
}

QString MemorySettingsStore::LoadText(const QString& section, const QString& key, const QString& fallback) const {
    const auto it = values_.find({section, key});
    return it == values_.end() ? fallback : it->second;
}

void MemorySettingsStore::Save(const QString& section, const QString& key, const QString& value) {
    values_[{section, key}] = value;
}

void MemorySettingsStore::Remove(const QString& section, const QString& key) { values_.erase({section, key}); }

bool MemorySettingsStore::Contains(const QString& section, const QString& key) const {
    return values_.count({section, key}) != 0;
}

}  // namespace vyper
