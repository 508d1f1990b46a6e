#pragma once
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "platform/IntervalTimer.h"
#include "platform/Timer.h"
#include "platform/MessageSink.h"

// The window toolkit's controls with the operations the program uses on them.

namespace vyper {

// Colour values of the window (red in the lowest byte).
inline constexpr int kColourGrey = 8421504;
inline constexpr int kColourRed = 255;
inline constexpr int kColourDarkBlue = 8388608;

// Platform colour value (red in the lowest byte, green next, blue third) to a colour and back.
QColor ColorFromValue(int value);
int ValueFromColor(const QColor& color);
// Sets the text colour of a label, check box, option button or frame.
void SetTextColor(QWidget* widget, int colorValue);
int TextColor(const QWidget* widget);

// Twips (1440 per inch) to pixels at `dpi` logical dots per inch, rounded.
int TwipsToPixels(int twips, double dpi);
// Places `widget` at a rectangle given in twips relative to its parent.
void PlaceInTwips(QWidget* widget, int left, int top, int width, int height, double dpi);

// A list of text lines. Each line is drawn whole, never shortened with "…"; TABs in it move
// the text to tab stops (see TabbedText.h), and a line wider than the list scrolls
// horizontally (except a line added with AddItemUnscrolled). A note (AddNote) wider than
// the list is split into lines that fit. The current entry is framed while the list has
// the keyboard focus, so that the user sees where the arrow keys act.
class ListBox : public QListWidget, public MessageSink {
public:
    // Every entry is one line of text in the list's font, so all entries are equally high;
    // telling the view so keeps selecting the last line of a long journal cheap (otherwise
    // each selection measures every line again). With uniform sizes the view takes every
    // entry's size from one of them (the last), so each entry reports the size of the widest
    // line, which the list keeps up to date as lines come and go (each new line measured once).
    explicit ListBox(QWidget* parent = nullptr);
    // Stops following its entries first: the base class removes them after this part is gone.
    ~ListBox() override;
    void AddItem(const QString& text) override;
    int ListCount() const { return count(); }
    int ListIndex() const { return currentRow(); }
    // Selects entry `index` (-1: none) and scrolls it into view.
    void SetListIndex(int index);
    // Selects the last entry, so that the newest line is shown.
    void SelectLast() override { SetListIndex(ListCount() - 1); }
    // Appends a line, selects it and repaints at once: how every message is written.
    void AddLineShown(const QString& text) override;
    // The selected entry's text, "" when none is selected.
    QString Text() const;
    // All entries, first to last.
    QStringList Items() const;
    // The lines as they were added, first to last: a note split into entries is one line.
    QStringList Lines() const;
    // Asks for a repaint with the next pass of the message loop. The loop runs during every
    // pause and wait of a transfer, so the list is drawn at once for the eye; painting on the
    // spot for every byte cost most of a download's processor time.
    void Refresh() override { update(); }
    // A note wider than NoteWidth is split at its blanks into entries that fit (SplitNote:
    // never inside a quoted name; an overlong word stays whole). AddNote selects nothing, as
    // AddItem; AddNoteShown selects the last piece and repaints, as AddLineShown.
    void AddNote(const QString& line) override;
    void AddNoteShown(const QString& line) override;
    // Appends a line that is drawn as far as the list is wide but never makes it scroll
    // sideways: a rule or a greeting whose end tells nothing that its start has not told.
    void AddItemUnscrolled(const QString& text);
    // The room for a line's text: the list's inner width less the room a vertical scroll bar
    // takes (so that a note still fits once the list has grown long) and the text's margins,
    // in pixels.
    qreal NoteWidth() const;
    // The width of `line` as this list draws it, TABs expanded, in pixels.
    qreal LineWidth(const QString& line) const;
    // The width of the widest line as drawn, TABs expanded, in pixels; lines added with
    // AddItemUnscrolled left out.
    qreal WidestLine() const { return widest_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void MeasureRows(int first, int last);
    void MeasureAll();

    qreal widest_ = 0;
};

class Label : public QLabel {
public:
    using QLabel::QLabel;
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    int ForeColor() const { return TextColor(this); }
    void SetForeColor(int value) { SetTextColor(this, value); }
    // As ListBox::Refresh: drawn with the next pass of the message loop.
    void Refresh() { update(); }
};

// An editable combo box: adding entries never changes the text shown.
class ComboBox : public QComboBox {
public:
    explicit ComboBox(QWidget* parent = nullptr);
    void AddItem(const QString& text);
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
};

// A combo box that only offers its entries: its text is always one of them.
class DropDownList : public QComboBox {
public:
    using QComboBox::QComboBox;
    void AddItem(const QString& text) { addItem(text); }
    int ListCount() const { return count(); }
    int ListIndex() const { return currentIndex(); }
    void SetListIndex(int index) { setCurrentIndex(index); }
    // The text of entry `index`.
    QString List(int index) const { return itemText(index); }
    QString Text() const { return currentText(); }
};

class TextBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    QString Text() const { return text(); }
    void SetText(const QString& value) { setText(value); }
};

class CheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;
    // 0 unchecked, 1 checked, 2 greyed.
    int Value() const;
    // Throws RuntimeFailure 380 for a value other than 0, 1 or 2.
    void SetValue(int value);
};

class OptionButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;
    bool Value() const { return isChecked(); }
    void SetValue(bool on) { setChecked(on); }
};

class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
};

class Frame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;
};

}  // namespace vyper
