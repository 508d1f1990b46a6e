#include "platform/Controls.h"

#include <QPalette>
#include <cmath>

#include "platform/Failure.h"

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

ListBox::ListBox(QWidget* parent) : QListWidget(parent) { setUniformItemSizes(true); }

void ListBox::AddItem(const QString& text) { addItem(text); }

void ListBox::AddLineShown(const QString& text) {
    AddItem(text);
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

Timer::Timer(QObject* parent) : QObject(parent) {
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        if (OnTimer) OnTimer();
    });
}

void Timer::SetInterval(int ms) {
    interval_ = ms;
    if (ms <= 0) {
        timer_.stop();
        return;
    }
    timer_.start(ms);
}

}  // namespace vyper
