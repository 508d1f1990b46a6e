#include <gtest/gtest.h>

#include <QStyledItemDelegate>

#include "platform/Controls.h"

using namespace vyper;

namespace {

// Counts how often the list measures one of its entries.
class CountingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++measured;
        return QStyledItemDelegate::sizeHint(option, index);
    }
    mutable long long measured = 0;
};

}  // namespace

// The message list is the program's journal: every line is appended and then selected.
// A download writes hundreds of lines; if each selection measured every line again, the
// cost would grow with the square of the journal and the window would freeze on long runs.
TEST(ListBoxJournal, SelectingEachNewLineDoesNotMeasureTheWholeList) {
    for (const int lines : {50, 400}) {
        ListBox list;
        list.resize(300, 200);
        CountingDelegate delegate;
        list.setItemDelegate(&delegate);
        for (int i = 0; i < lines; ++i) {
            list.AddItem(QStringLiteral("%1 Zeichen empfangen. CRC OK").arg(i));
            list.SetListIndex(list.ListCount() - 1);
        }
        EXPECT_EQ(list.ListIndex(), lines - 1);
        EXPECT_EQ(list.Text(), QStringLiteral("%1 Zeichen empfangen. CRC OK").arg(lines - 1));
        // A few measurements per line at most, not one per line already in the list.
        EXPECT_LE(delegate.measured, 4LL * lines) << lines << " lines";
    }
}
