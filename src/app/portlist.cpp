#include "app/portlist.h"

#include <QStyledItemDelegate>

namespace {
class DescribedEntry final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString described = index.data(Qt::UserRole).toString();
        if (!described.isEmpty()) option->text = described;
    }
};
} // namespace

PortList::PortList(QWidget *parent) : QComboBox(parent) {
    setItemDelegate(new DescribedEntry(this));
}

void PortList::showPopup() {
    emit aboutToShowPopup();
    QComboBox::showPopup();
}
