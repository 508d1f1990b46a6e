#include "transfer/SettingsReport.h"

#include <cmath>

#include "text/Windows1252.h"
#include "transfer/ActivityIndicator.h"

namespace vyper {

namespace {

int Byte(const std::array<int32_t, kBufferSize>& rx, int position) { return rx[static_cast<size_t>(position)] & 0xFF; }

int Word(const std::array<int32_t, kBufferSize>& rx, int position) {
    return Byte(rx, position) * 256 + Byte(rx, position + 1);
}

QString Tabs(int n) { return QString(n, QLatin1Char('\t')); }

QString Line(const QString& label, int tabs, const QString& value) { return label + Tabs(tabs) + value; }

QString Number(int value) { return QString::number(value); }

bool Displayable(QChar c) {
    const char16_t u = c.unicode();
    return u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F);
}

}  // namespace

int DepthMetresFrom128thFeet(int value) {
    const double feet = value / 128.0;
    return static_cast<int>(std::floor(feet * 0.3048));
}

QString UserTextFromBytes(const std::array<int32_t, kBufferSize>& rx) {
    QString text;
    for (int p = 16; p <= 35; ++p) {
        const QChar c = Windows1252Char(static_cast<unsigned char>(Byte(rx, p)));
        text.append(Displayable(c) ? c : kUndisplayablePlaceholder);
    }
    return text;
}

QStringList SettingsReportLines(int block, const std::array<int32_t, kBufferSize>& rx) {
    switch (block) {
    case 0:
        return {Line(QStringLiteral("Maximale Tauchtiefe:"), 2,
                     Number(DepthMetresFrom128thFeet(Word(rx, 34))) + QStringLiteral(" m"))};
    case 1: {
        const QString serial = Number(Byte(rx, 9)) + Number(Byte(rx, 10)) + Number(Byte(rx, 11)) + Number(Byte(rx, 12));
        return {
            Line(QStringLiteral("Messintervall:"), 3, Number(Byte(rx, 8)) + QStringLiteral(" sec.")),
            Line(QStringLiteral("Tauchgänge:"), 3, Number(Word(rx, 6))),
            Line(QStringLiteral("Gesamte Tauchzeit:"), 2, Number(Word(rx, 4)) + QStringLiteral(" min.")),
            Line(QStringLiteral("Seriennummer:"), 3, serial),
            Line(QStringLiteral("Benutzerinfo:"), 3, UserTextFromBytes(rx)),
        };
    }
    case 2:
        return {Line(QStringLiteral("Bytes TG-Daten:"), 3, Number(Word(rx, 21)))};
    case 3: {
        QStringList lines{
            Line(QStringLiteral("Persönliche Einstellungen:"), 2, Number(Byte(rx, 4))),
            Line(QStringLiteral("Maßsystem                  "), 2,
                 Byte(rx, 6) == 1 ? QStringLiteral("metrisch") : QStringLiteral("U.S.")),
        };
        const int mode = Byte(rx, 7);
        if (mode <= 2) {
            const QString modes[] = {QStringLiteral("Luft"), QStringLiteral("Nitrox"), QStringLiteral("Tiefenmesser")};
            lines << Line(QStringLiteral("Rechnermodus Dekompression: "), 1, modes[mode]);
        }
        lines << Line(QStringLiteral("Beleuchtung: "), 3, QStringLiteral("Aus."))
              << Line(QStringLiteral("Beleuchtung Dauer: "), 2, Number(Byte(rx, 8) & 127))
              << Line(QStringLiteral("Tauchzeitalarm: "), 3, QStringLiteral("Aus."))
              << Line(QStringLiteral("Tauchtiefenalarm: "), 3,
                      Byte(rx, 9) != 0 ? QStringLiteral("An.") : QStringLiteral("Aus."))
              << Line(QStringLiteral("Zeit bis Alarm: "), 3, Number(Byte(rx, 11)) + QStringLiteral(" min."))
              << Line(QStringLiteral("Alarmtiefe: "), 3,
                      Number(DepthMetresFrom128thFeet(Word(rx, 12))) + QStringLiteral(" m"));
        return lines;
    }
    default:
        return {};
    }
}

QString UnreadBlockLine(int block) {
    return QStringLiteral("Speicherblock %1 (Adresse %2 bis %3) konnte nicht gelesen werden.")
        .arg(block + 1)
        .arg(block * 32)
        .arg(block * 32 + 31);
}

QString IncompleteReadLine(int missing) {
    return QStringLiteral("Einstellungen unvollständig gelesen: %1 von 4 Speicherblöcken %2. "
                          "Bitte noch einmal auslesen.")
        .arg(missing)
        .arg(missing == 1 ? QStringLiteral("fehlt") : QStringLiteral("fehlen"));
}

void ReportSettingsBlock(VyperComm& m, int16_t k) {
    if (k < 0 || k > 3) return;
    // Values come only from a whole reply with a right checksum, as it was when judged.
    if (m.MemoryReplyGood) {
        for (const QString& line : SettingsReportLines(k, m.MemoryReply)) m.seams.messages.AddItem(line);
    } else {
        m.seams.messages.AddNote(UnreadBlockLine(k));
        ++m.SettingsBlocksMissing;
    }
    if (k != 3) return;
    ShowActivity(m.seams.messages, 1);
    if (m.SettingsBlocksMissing == 0) {
        m.seams.messages.AddItem(QStringLiteral("OK."));
    } else {
        m.seams.messages.AddNote(IncompleteReadLine(m.SettingsBlocksMissing));
    }
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const RuntimeFailure&) {
        // The settings read is over either way.
    }
}

}  // namespace vyper
