#include "ui/main/HelpTexts.h"

namespace vyper {

namespace {

QString Path(const QString& path) { return QStringLiteral("<code>") + path.toHtmlEscaped() + QStringLiteral("</code>"); }

}  // namespace

QString HelpPageText(const HelpFacts& facts) {
    const QString logs = facts.logFolder.isEmpty()
                             ? QStringLiteral("Ohne Heimatordner wird kein Protokoll geschrieben.")
                             : QStringLiteral("Jede Übertragung wird protokolliert, die letzten 20 Protokolle bleiben "
                                              "erhalten: %1. Bei Problemen hilft das Protokoll der fehlgeschlagenen Übertragung.")
                                   .arg(Path(facts.logFolder));
    return QStringLiteral(
               "<h3>Was das Programm tut</h3>"
               "<p>Es liest die Einstellungen und die gespeicherten Tauchgänge eines Suunto Vyper oder Cobra über "
               "eine serielle Schnittstelle, speichert jeden Tauchgang als Profildatei, zeigt ihn als "
               "Tiefenprofil („TG ansehen“) und führt ein Logbuch („Logbuch…“).</p>"
               "<h3>Die erste Übertragung mit einem USB-Kabel</h3>"
               "<ol>"
               "<li>Das Interface-Kabel einstecken und den Interface-Typ wählen: „Original Suunto (ohne Echo)“ "
               "oder „Selbstbau (mit Echo)“.</li>"
               "<li>Mit „…“ neben dem COM-Feld dem gewählten COM-Anschluss den USB-Adapter zuordnen "
               "(z.&nbsp;B. „FT232R USB UART – /dev/ttyUSB0“) und mit OK speichern.</li>"
               "<li>Den Tauchcomputer in den Übertragungsmodus bringen und auf die Kontakte des Interfaces "
               "setzen.</li>"
               "<li>„Tauchgangsdaten übertragen“ klicken. Die Meldungen erscheinen in der Liste oben links, "
               "die gespeicherten Dateien in der Liste darunter.</li>"
               "</ol>"
               "<h3>Wenn der Tauchcomputer nicht antwortet</h3>"
               "<ul>"
               "<li>Ist der Tauchcomputer im Übertragungsmodus?</li>"
               "<li>Sitzt das Interface richtig auf den Kontakten?</li>"
               "<li>Ist der richtige COM-Anschluss gewählt, und öffnet er das richtige Gerät („…“ neben dem "
               "COM-Feld)?</li>"
               "<li>Passt der Interface-Typ zum Kabel?</li>"
               "</ul>"
               "<h3>Wo die Dateien liegen</h3>"
               "<p>Die Tauchgänge liegen im Ordner <b>Tauchprofile</b>: %1. Im Logbuch öffnet „Ordner öffnen“ "
               "ihn im Dateimanager.</p>"
               "<p>%2</p>"
               "<h3>Tauchgänge in ein Logbuchprogramm übernehmen</h3>"
               "<p>Im Fenster „Logbuch…“ die Tauchgänge wählen und mit „Exportieren…“ als UDDF (für die meisten "
               "Logbuchprogramme) oder als CSV (für eine Tabellenkalkulation) speichern.</p>")
        .arg(Path(facts.profileFolder), logs);
}

QString AboutPageText(const HelpFacts& facts) {
    return QStringLiteral("<h3>Suunto Vyper Quappe (Grundelnetz)</h3>"
                          "<p>Version %1</p>"
                          "<p>Liest Einstellungen und Tauchgänge aus Suunto Vyper und Cobra.</p>"
                          "<p>Lizenz: noch nicht festgelegt. Bis die Autoren eine Lizenz gewählt haben, gilt "
                          "nur, was das Urheberrecht erlaubt.</p>"
                          "<p>© 2026 die Autoren von Vyper-Grundelnetz</p>")
        .arg(facts.version.toHtmlEscaped());
}

}  // namespace vyper
