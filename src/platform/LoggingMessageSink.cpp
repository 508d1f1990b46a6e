#include "platform/LoggingMessageSink.h"

namespace vyper {

namespace {
QString Logged(const QString& line) { return QStringLiteral("Meldung: ") + line; }
}  // namespace

void LoggingMessageSink::AddItem(const QString& line) {
    list_.AddItem(line);
    log_.Note(Logged(line));
}

void LoggingMessageSink::AddLineShown(const QString& line) {
    list_.AddLineShown(line);
    log_.Note(Logged(line));
}

void LoggingMessageSink::AddNote(const QString& line) {
    list_.AddNote(line);
    log_.Note(Logged(line));
}

void LoggingMessageSink::AddNoteShown(const QString& line) {
    list_.AddNoteShown(line);
    log_.Note(Logged(line));
}

}  // namespace vyper
