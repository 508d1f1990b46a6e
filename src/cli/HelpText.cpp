#include "cli/HelpText.h"

#include "Version.h"

namespace vyper::cli {

QString HelpText() {
    return QStringLiteral(
        "Aufruf: vyper-grundelnetz-cli BEFEHL [OPTIONEN] [DATEI...]\n"
        "\n"
        "Liest die Einstellungen und die Tauchgänge eines Suunto Vyper oder Cobra über die\n"
        "serielle Schnittstelle, wie das Fensterprogramm vyper-grundelnetz, aber ohne Fenster.\n"
        "\n"
        "Befehle:\n"
        "  settings   die Einstellungen des Tauchcomputers auslesen; der Bericht (dieselben\n"
        "             Zeilen wie im Fenster nach \"Vyper Einstellungen auslesen\") geht auf die\n"
        "             Standardausgabe\n"
        "  download   die Tauchgänge übertragen und jeden als Profildatei speichern, Datei für\n"
        "             Datei wie das Fenster; der Pfad jeder gespeicherten Datei geht auf die\n"
        "             Standardausgabe, die Meldungen des Fensters und der Fortschritt auf die\n"
        "             Standardfehlerausgabe\n"
        "  export     gespeicherte Tauchgänge als UDDF oder CSV exportieren: alle des\n"
        "             Profilordners oder die genannten DATEIen (alle in einem Ordner), vom\n"
        "             ältesten zum neuesten; nicht exportierte werden mit Grund genannt\n"
        "  ports      die seriellen Geräte und die Zuordnung von COM1 bis COM4 zeigen, wie\n"
        "             \"Schnittstellen zuordnen\" im Fenster\n"
        "\n"
        "Optionen (Voreinstellung in Klammern):\n"
        "  --port N|GERÄT        COM-Schnittstelle 1 bis 4, dem Gerät zugeordnet wie im Fenster\n"
        "                        ([Ports], sonst /dev/ttyS<N-1>), oder ein Gerätepfad wie\n"
        "                        /dev/ttyUSB0 (gespeicherte Schnittstelle, sonst 2)\n"
        "  --interface original|selbstbau\n"
        "                        \"Original Suunto (ohne Echo)\" oder \"Selbstbau (mit Echo)\"\n"
        "                        (gespeicherter Interface-Typ, sonst original)\n"
        "  --delay MS            Verzögerung zwischen den Befehlen, 0 bis 2000 ms\n"
        "                        (gespeicherte Verzögerung, sonst 350)\n"
        "  --dives N|alle        nur die N zuletzt gemachten Tauchgänge abrufen (alle)\n"
        "  --only-new            nur neue Tauchgänge laden: beim ersten schon gespeicherten\n"
        "                        aufhören (gespeicherte Wahl \"Nur neue Tauchgänge laden\")\n"
        "  --no-only-new         alle Tauchgänge laden, was auch gespeichert ist\n"
        "  --overwrite never|always\n"
        "                        einen schon gespeicherten Tauchgang nie oder immer\n"
        "                        überschreiben (never); nachgefragt wird nie\n"
        "  --max-errors N        Fehler oder 'End of Data' bis zum Ende der Übertragung,\n"
        "                        1 bis 32767 (3)\n"
        "  --folder ORDNER       der Profilordner selbst, für download und export (der Ordner\n"
        "                        des Fensters: Tauchprofile neben dem Programm, wenn es ihn\n"
        "                        gibt, sonst $XDG_DATA_HOME/Vyper-Grundelnetz/Tauchprofile,\n"
        "                        sonst ~/.local/share/Vyper-Grundelnetz/Tauchprofile)\n"
        "  --format uddf|csv     das Format des Exports (für export nötig)\n"
        "  --output DATEI        die Datei des Exports (für export nötig)\n"
        "  --log DATEI           das Protokoll der Übertragung (Bytes, Wartezeiten,\n"
        "                        Entscheidungen) in DATEI schreiben (wie im Fenster eine\n"
        "                        Datei je Übertragung in $XDG_STATE_HOME/Vyper-Grundelnetz,\n"
        "                        sonst ~/.local/state/Vyper-Grundelnetz)\n"
        "  --json                ein JSON-Objekt auf der Standardausgabe statt der Zeilen:\n"
        "                        command, status, stored, skipped, lost, counts, log und mehr\n"
        "  -h, --help            diese Hilfe zeigen\n"
        "  --version             die Version zeigen\n"
        "\n"
        "Die Voreinstellungen kommen aus der Einstellungsdatei des Fensters\n"
        "($XDG_CONFIG_HOME/Vyper-Grundelnetz.conf, sonst ~/.config/Vyper-Grundelnetz.conf):\n"
        "[CommPort] Number, InterfaceType, Delay, [Settings] LoadOnlyNewDvies und [Ports].\n"
        "Die Datei wird nur gelesen, nie geschrieben.\n"
        "\n"
        "Fortschritt: auf einem Terminal eine Zeile, die sich erneuert (Tauchgänge, Bytes,\n"
        "Sekunden), sonst eine Zeile je gelesenem Tauchgang, auf der Standardfehlerausgabe.\n"
        "\n"
        "Strg+C oder SIGTERM beenden eine Übertragung wie \"Stop\" im Fenster: keine halbe\n"
        "Datei, die Schnittstelle wird geschlossen, die Zusammenfassung ausgegeben. Ein\n"
        "zweites Strg+C beendet sofort, ebenfalls ohne halbe Datei.\n"
        "\n"
        "Rückgabewert:\n"
        "  0    alles Verlangte ist getan\n"
        "  2    der Aufruf ist fehlerhaft (unbekannte Option, falscher Wert, kein Befehl)\n"
        "  3    die Schnittstelle lässt sich nicht öffnen (fehlt, belegt, keine Rechte)\n"
        "  4    die Übertragung ist unvollständig: Tauchgänge verloren, Störungen auf der\n"
        "       Leitung, Einstellungen nicht ganz gelesen, Gerät verschwunden, falscher\n"
        "       Interface-Typ oder kein einziger Tauchgang (Tauchcomputer stumm oder nicht da);\n"
        "       beim Export: eine genannte Datei nicht exportiert\n"
        "  5    eine Datei ließ sich nicht schreiben (Profildatei, Profilordner, Export;\n"
        "       auch wenn kein Tauchgang zu exportieren war)\n"
        "  130  abgebrochen mit Strg+C oder SIGTERM\n"
        "\n"
        "Beispiele:\n"
        "  vyper-grundelnetz-cli settings --port /dev/ttyUSB0\n"
        "  vyper-grundelnetz-cli download --port 2 --interface selbstbau --only-new\n"
        "  vyper-grundelnetz-cli export --format uddf --output ~/Logbuch.uddf\n");
}

QString VersionText() {
    return QStringLiteral("%1 %2.%3.%4")
        .arg(kCliProgram)
        .arg(version::Major)
        .arg(version::Minor)
        .arg(version::Revision);
}

QString UsageErrorLine(const QString& reason) {
    return QStringLiteral("%1: %2 Hilfe: %1 --help").arg(kCliProgram, reason);
}

}  // namespace vyper::cli
