#pragma once
#include <QString>
#include <map>
#include <utility>

namespace vyper {

// Per-user store of setting texts, addressed by section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key is absent.
    QString Load(const QString& section, const QString& key, const QString& fallback = QString()) const {
        return LoadText(section, key, fallback);
    }
    virtual void Save(const QString& section, const QString& key, const QString& value) = 0;
    // Deletes the key; Load then gives the fallback. An absent key is no fault.
    virtual void Remove(const QString& section, const QString& key) = 0;

protected:
    virtual QString LoadText(const QString& section, const QString& key, const QString& fallback) const = 0;
};

// The store in the user's config folder: one INI file "Vyper-Grundelnetz.conf".
class IniSettingsStore : public SettingsStore {
public:
    // The user's own settings file.
    IniSettingsStore();
    // A settings file at an explicit path (tests, private demo folders).
    explicit IniSettingsStore(QString filePath);
    void Save(const QString& section, const QString& key, const QString& value) override;
    void Remove(const QString& section, const QString& key) override;
    const QString& FilePath() const { return filePath_; }

protected:
    QString LoadText(const QString& section, const QString& key, const QString& fallback) const override;

private:
    QString filePath_;
};

// A store in memory, for tests and for runs that must not touch the user's files.
class MemorySettingsStore : public SettingsStore {
public:
    void Save(const QString& section, const QString& key, const QString& value) override;
    void Remove(const QString& section, const QString& key) override;
    bool Contains(const QString& section, const QString& key) const;

protected:
    QString LoadText(const QString& section, const QString& key, const QString& fallback) const override;

private:
    std::map<std::pair<QString, QString>, QString> values_;
};

}  // namespace vyper
