#include "ui/toolkit/Controls.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "platform/Failure.h"
#include "ui/toolkit/NoteLines.h"
#include "ui/toolkit/TabbedText.h"

namespace vyper {

QColor ColorFromValue(int value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

int ValueFromColor(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

void SetTextColor(QWidget* widget, int colorValue) {
    QPalette palette = widget->palette();
    const QColor color = ColorFromValue(colorValue);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

int TextColor(const QWidget* widget) { return ValueFromColor(widget->palette().color(QPalette::WindowText)); }

int TwipsToPixels(int twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

void PlaceInTwips(QWidget* widget, int left, int top, int width, int height, double dpi) {
    widget->setGeometry(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                        TwipsToPixels(height, dpi));
}

namespace {

// Marks an entry that does not count for the list's width (AddItemUnscrolled).
constexpr int kUnscrolledRole = Qt::UserRole + 1;
// The first entry of a split note keeps the whole note; the others are marked as its pieces.
constexpr int kWholeNoteRole = Qt::UserRole + 2;
constexpr int kNotePieceRole = Qt::UserRole + 3;

// Room left and right of a list line's text, as the style keeps it in item views.
int TextMargin(const QWidget* widget) {
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

// Draws a list's lines with their TABs expanded, never elided.
class ListLineDelegate : public QStyledItemDelegate {
public:
    explicit ListLineDelegate(ListBox* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const QFontMetricsF metrics(option.font, list_);
        const int width = static_cast<int>(std::ceil(list_->WidestLine())) + 2 * TextMargin(option.widget);
        // One text line and a pixel: two entries fill the interface list's 450 twips.
        return {width, static_cast<int>(std::ceil(metrics.height())) + 1};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = item.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        // Background, selection and focus as the style draws them; the text is ours.
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                                   : QPalette::Inactive;
        const QPalette::ColorRole role =
            (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
        painter->save();
        painter->setPen(item.palette.color(group, role));
        painter->setFont(item.font);
        const QFontMetricsF metrics(item.font, list_);
        const qreal left = item.rect.left() + TextMargin(widget);
        const qreal baseline = item.rect.top() + (item.rect.height() - metrics.height()) / 2 + metrics.ascent();
        for (const TabbedPiece& piece : TabbedPieces(text, metrics, ListTabDistance(metrics))) {
            painter->drawText(QPointF(left + piece.x, baseline), piece.text);
        }
        if (item.state & QStyle::State_HasFocus) DrawFocusFrame(painter, item);
        painter->restore();
    }

private:
    // Many styles mark the current entry with a faint dotted line, or not at all when it is
    // selected; the keyboard's place must be plain to see. A solid frame of two pixels in
    // the highlight colour, darker on a selected entry, within the part of the entry that is
    // in view.
    void DrawFocusFrame(QPainter* painter, const QStyleOptionViewItem& item) const {
        const QRect frame = item.rect.intersected(list_->viewport()->rect());
        if (frame.isEmpty()) return;
        const QColor highlight = item.palette.color(QPalette::Active, QPalette::Highlight);
        const QColor colour = (item.state & QStyle::State_Selected) ? highlight.darker(200) : highlight;
        painter->setPen(QPen(colour, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(frame).adjusted(1, 1, -1, -1));
    }

    ListBox* list_;
};

}  // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ListLineDelegate(this));
    QAbstractItemModel* lines = model();
    connect(lines, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { MeasureRows(first, last); });
    connect(lines, &QAbstractItemModel::dataChanged, this, [this] { MeasureAll(); });
    connect(lines, &QAbstractItemModel::rowsRemoved, this, [this] { MeasureAll(); });
    connect(lines, &QAbstractItemModel::modelReset, this, [this] { MeasureAll(); });
}

ListBox::~ListBox() { disconnect(model(), nullptr, this, nullptr); }

void ListBox::MeasureRows(int first, int last) {
    const QFontMetricsF metrics(font(), this);
    const qreal tabDistance = ListTabDistance(metrics);
    qreal widest = widest_;
    for (int row = first; row <= last; ++row) {
        const QListWidgetItem* it = item(row);
        if (it == nullptr || it->data(kUnscrolledRole).toBool()) continue;
        widest = std::max(widest, TabbedWidth(it->text(), metrics, tabDistance));
    }
    if (widest == widest_) return;
    widest_ = widest;
    // The view keeps the size it took from one entry; lay the entries out again with the new one.
    scheduleDelayedItemsLayout();
}

void ListBox::MeasureAll() {
    widest_ = 0;
    MeasureRows(0, count() - 1);
    scheduleDelayedItemsLayout();
}

void ListBox::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) MeasureAll();
}

void ListBox::AddItem(const QString& text) { addItem(text); }

void ListBox::AddLineShown(const QString& text) {
    AddItem(text);
    SelectLast();
    Refresh();
}

void ListBox::AddItemUnscrolled(const QString& text) {
    auto* entry = new QListWidgetItem(text);
    entry->setData(kUnscrolledRole, true);
    addItem(entry);
}

qreal ListBox::LineWidth(const QString& line) const {
    const QFontMetricsF metrics(font(), this);
    return TabbedWidth(line, metrics, ListTabDistance(metrics));
}

qreal ListBox::NoteWidth() const {
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    return maximumViewportSize().width() - scrollBar - 2 * TextMargin(this);
}

void ListBox::AddNote(const QString& line) {
    const QFontMetricsF metrics(font(), this);
    const qreal tabDistance = ListTabDistance(metrics);
    const QStringList pieces =
        SplitNote(line, NoteWidth(), [&](const QString& piece) { return TabbedWidth(piece, metrics, tabDistance); });
    if (pieces.size() == 1) {
        AddItem(line);
        return;
    }
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        auto* entry = new QListWidgetItem(pieces[i]);
        if (i == 0) entry->setData(kWholeNoteRole, line);
        else entry->setData(kNotePieceRole, true);
        addItem(entry);
    }
}

void ListBox::AddNoteShown(const QString& line) {
    AddNote(line);
    SelectLast();
    Refresh();
}

void ListBox::SetListIndex(int index) {
    setCurrentRow(index);
    if (QListWidgetItem* it = item(index)) scrollToItem(it);
}

QString ListBox::Text() const {
    const QListWidgetItem* it = currentItem();
    return it != nullptr && it->isSelected() ? it->text() : QString();
}

QStringList ListBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i) items << item(i)->text();
    return items;
}

QStringList ListBox::Lines() const {
    QStringList lines;
    for (int i = 0; i < count(); ++i) {
        const QListWidgetItem* entry = item(i);
        if (entry->data(kNotePieceRole).toBool()) continue;
        const QVariant whole = entry->data(kWholeNoteRole);
        lines << (whole.isValid() ? whole.toString() : entry->text());
    }
    return lines;
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void ComboBox::AddItem(const QString& text) {
    const QString shown = currentText();
    addItem(text);
    SetText(shown);
}

void ComboBox::SetText(const QString& text) {
    const int index = findText(text, Qt::MatchExactly);
    setCurrentIndex(index);
    setEditText(text);
}

int CheckBox::Value() const {
    switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    case Qt::Unchecked: break;
    }
    return 0;
}

void CheckBox::SetValue(int value) {
    switch (value) {
    case 0: setCheckState(Qt::Unchecked); return;
    case 1: setCheckState(Qt::Checked); return;
    case 2: setCheckState(Qt::PartiallyChecked); return;
    default: throw RuntimeFailure(failure::InvalidPropertyValue, QStringLiteral("Ungültiger Eigenschaftswert"));
    }
}

}  // namespace vyper
