#pragma once
#include "platform/SettingsStore.h"

namespace vyper::cli {

// The window's settings as the command line sees them: read through, never written. The
// command line takes its defaults from the window's choices but leaves them as they are, so
// Save and Remove change nothing.
class ReadOnlySettings : public SettingsStore {
public:
    explicit ReadOnlySettings(const SettingsStore& stored) : stored_(stored) {}
    void Save(const QString&, const QString&, const QString&) override {}
    void Remove(const QString&, const QString&) override {}

protected:
    QString LoadText(const QString& section, const QString& key, const QString& fallback) const override {
        return stored_.Load(section, key, fallback);
    }

private:
    const SettingsStore& stored_;
};

}  // namespace vyper::cli
