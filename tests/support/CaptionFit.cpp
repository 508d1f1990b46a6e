#include "support/CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <cmath>

namespace vyper::testing {

namespace {

QRect InWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

CaptionRoom LabelRoom(const QLabel* label) {
    const QFontMetricsF fm(label->font(), label);
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                      -label->margin());
    const QString text = label->text();
    if (label->wordWrap()) {
        // Wrapped over as many lines as its box needs: every word must fit the width, and
        // all lines the height.
        const QRectF used = fm.boundingRect(QRectF(room), Qt::TextWordWrap | label->alignment(), text);
        return {text, used.width(), double(room.width()), used.height(), double(room.height()), InWindow(label)};
    }
    return {text, fm.horizontalAdvance(text), double(room.width()), fm.height(), double(room.height()), InWindow(label)};
}

CaptionRoom PushButtonRoom(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (button->autoDefault() || button->isDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    QStyle* style = button->style();
    // The label is drawn into the contents rectangle; the style's button margin keeps it off the bevel.
    const QRect contents = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    const QString text = WithoutMnemonic(button->text());
    const QFontMetricsF fm(button->font(), button);
    return {text, fm.horizontalAdvance(text), double(contents.width() - margin), fm.height(), double(contents.height()),
            InWindow(button)};
}

CaptionRoom IndicatorButtonRoom(const QAbstractButton* button, QStyle::SubElement contentsElement) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect contents = button->style()->subElementRect(contentsElement, &option, button);
    const QString text = WithoutMnemonic(button->text());
    const QFontMetricsF fm(button->font(), button);
    return {text, fm.horizontalAdvance(text), double(contents.width()), fm.height(), double(contents.height()),
            InWindow(button)};
}

CaptionRoom GroupBoxRoom(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const QString text = WithoutMnemonic(box->title());
    const QFontMetricsF fm(box->font(), box);
    // The title stands inside the frame's width and above the first control in the frame.
    int firstChildTop = box->height();
    for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        firstChildTop = std::min(firstChildTop, child->geometry().top());
    }
    return {text, title.left() + fm.horizontalAdvance(text), double(box->width()), title.top() + fm.height(),
            double(firstChildTop), InWindow(box)};
}

}  // namespace

QString WithoutMnemonic(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

std::vector<CaptionRoom> CaptionRooms(QWidget* window) {
    std::vector<CaptionRoom> rooms;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window) continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->text().isEmpty()) rooms.push_back(LabelRoom(label));
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            rooms.push_back(PushButtonRoom(button));
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            rooms.push_back(IndicatorButtonRoom(check, QStyle::SE_CheckBoxContents));
        } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
            rooms.push_back(IndicatorButtonRoom(option, QStyle::SE_RadioButtonContents));
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            rooms.push_back(GroupBoxRoom(box));
        }
    }
    return rooms;
}

}  // namespace vyper::testing
