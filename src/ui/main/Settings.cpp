#include "ui/main/Settings.h"

#include "transfer/VyperComm.h"

namespace vyper {

QString LoadSetting(VyperComm& m, const QString& section, const QString& key) {
    return m.platform.settings.Load(section, key, QString());
}

void SaveSettings(VyperComm& m, const QString& section, const QString& key, const QString& value) {
    m.platform.settings.Save(section, key, value);
}

}  // namespace vyper
