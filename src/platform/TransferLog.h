#pragma once
#include <QByteArrayView>
#include <QString>

namespace vyper {

// The support log of a transfer: what went over the line, with the time of each event, and
// what the transfer made of it. One log per transfer (settings read or download); the core
// reports into it, the program decides where it goes.
class TransferLog {
public:
    virtual ~TransferLog() = default;
    // A transfer starts; `title` names it and its settings ("Download, COM2 = /dev/ttyUSB0,
    // Original Suunto (ohne Echo), Verzögerung 350").
    virtual void Begin(const QString& title) = 0;
    // Bytes written to the line, and bytes read from it, as they pass.
    virtual void Sent(QByteArrayView bytes) = 0;
    virtual void Received(QByteArrayView bytes) = 0;
    // Anything else worth knowing: a wait's end and its reason, a decision (stored, skipped,
    // lost and why), a line of the message list.
    virtual void Note(const QString& line) = 0;
    // The transfer has ended; `outcome` in one line. The log is complete on disk afterwards.
    virtual void End(const QString& outcome) = 0;
    // Where the log of the current or last transfer lies; empty when it is kept nowhere.
    virtual QString Path() const = 0;
    // Why the log of the current or last transfer is kept nowhere ("No space left on
    // device"), in one line; empty when Path() names it or nobody has said.
    virtual QString Problem() const { return QString(); }
};

}  // namespace vyper
