#pragma once
#include <QString>

namespace vyper {

struct VyperComm;

// Reads a setting of "Vyper-Grundelnetz"; "" when it is absent.
QString LoadSetting(VyperComm& m, const QString& section, const QString& key);
// Writes a setting of "Vyper-Grundelnetz".
void SaveSettings(VyperComm& m, const QString& section, const QString& key, const QString& value);

}  // namespace vyper
