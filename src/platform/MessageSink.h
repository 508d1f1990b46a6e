#pragma once
#include <QString>

namespace vyper {

// A list of text lines that the user reads as they come (the message list, the file list).
// The window's lists implement it; the core writes every message through it.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Appends a line without selecting it.
    virtual void AddItem(const QString& line) = 0;
    // Selects the last line, so that the newest one is in view.
    virtual void SelectLast() = 0;
    // Appends a line, selects it and has it drawn at once.
    virtual void AddLineShown(const QString& line) = 0;
    // Has the list drawn with the next pass of the message loop.
    virtual void Refresh() = 0;
    // A line that this program adds beyond its described texts (a hint, a result): appended
    // as AddItem / AddLineShown do, but a window may split it at word boundaries into
    // entries that fit its width, so that it is read without scrolling sideways.
    virtual void AddNote(const QString& line) { AddItem(line); }
    virtual void AddNoteShown(const QString& line) { AddLineShown(line); }
};

}  // namespace vyper
