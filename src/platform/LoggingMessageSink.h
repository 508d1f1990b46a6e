#pragma once
#include "platform/MessageSink.h"
#include "platform/TransferLog.h"

namespace vyper {

// A message list that passes every call to another one (the window's) and notes every line
// added in a transfer log as "Meldung: <line>". Both must outlive it.
class LoggingMessageSink final : public MessageSink {
public:
    LoggingMessageSink(MessageSink& list, TransferLog& log) : list_(list), log_(log) {}

    void AddItem(const QString& line) override;
    void SelectLast() override { list_.SelectLast(); }
    void AddLineShown(const QString& line) override;
    void Refresh() override { list_.Refresh(); }
    void AddNote(const QString& line) override;
    void AddNoteShown(const QString& line) override;

private:
    MessageSink& list_;
    TransferLog& log_;
};

}  // namespace vyper
