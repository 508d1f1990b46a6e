#include "ui/toolkit/NoteLines.h"

#include <vector>

namespace vyper {

namespace {

// The blanks of a note: all of them, and those outside quoted passages. A quote that is
// never closed protects nothing, so that a stray mark cannot glue the rest together.
struct Blanks {
    std::vector<qsizetype> all;
    std::vector<qsizetype> outsideQuotes;
};

Blanks FindBlanks(const QString& note) {
    Blanks blanks;
    std::vector<qsizetype> quoted;  // blanks inside the quote that is open, if any
    QChar closing;                  // the mark that closes the open quote; null: none is open
    for (qsizetype i = 0; i < note.size(); ++i) {
        const QChar c = note[i];
        if (c == QLatin1Char(' ')) {
            blanks.all.push_back(i);
            (closing.isNull() ? blanks.outsideQuotes : quoted).push_back(i);
        } else if (!closing.isNull()) {
            if (c == closing) {
                closing = QChar();
                quoted.clear();
            }
        } else if (c == QLatin1Char('"')) {
            closing = QLatin1Char('"');
        } else if (c == QChar(0x201E)) {  // „…“
            closing = QChar(0x201C);
        }
    }
    // Blanks after an unclosed quote come after every other one: the order stays.
    blanks.outsideQuotes.insert(blanks.outsideQuotes.end(), quoted.begin(), quoted.end());
    return blanks;
}

}  // namespace

QStringList SplitNote(const QString& note, double width, const std::function<double(const QString&)>& measure) {
    if (note.isEmpty() || width <= 0 || measure(note) <= width) return {note};
    const Blanks blanks = FindBlanks(note);
    const auto fits = [&](qsizetype from, qsizetype to) { return measure(note.mid(from, to - from)) <= width; };
    // The farthest of `breaks` after `start` at which a line from `start` fits and holds
    // more than blanks; -1 when there is none.
    const auto farthestBreak = [&](const std::vector<qsizetype>& breaks, qsizetype start) {
        qsizetype farthest = -1;
        for (const qsizetype at : breaks) {
            if (at <= start || note.mid(start, at - start).trimmed().isEmpty()) continue;
            if (!fits(start, at)) break;  // a longer line is wider still
            farthest = at;
        }
        return farthest;
    };

    QStringList lines;
    qsizetype start = 0;
    while (!fits(start, note.size())) {
        qsizetype at = farthestBreak(blanks.outsideQuotes, start);
        if (at < 0) at = farthestBreak(blanks.all, start);
        if (at >= 0) {
            lines << note.mid(start, at - start);
            start = at + 1;
            continue;
        }
        // A word wider than the line: cut it where the line is full (one character at least,
        // never inside a character that takes two code units), after a "/" where one fits.
        qsizetype cut = start + 1;
        qsizetype afterSlash = -1;
        // (No blank lies in reach after the word's start: a break there would have fitted.)
        for (qsizetype end = start + 1; end <= note.size(); ++end) {
            if (end < note.size() && note[end].isLowSurrogate()) continue;
            if (!fits(start, end)) break;
            cut = end;
            if (note[end - 1] == QLatin1Char('/')) afterSlash = end;
        }
        if (afterSlash > start && afterSlash < cut) cut = afterSlash;
        lines << note.mid(start, cut - start);
        start = cut;
    }
    lines << note.mid(start);
    return lines;
}

}  // namespace vyper
