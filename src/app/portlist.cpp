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

void followTypedText(QComboBox &list) {
    const int index = list.findText(list.currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0 && index != list.currentIndex()) list.setCurrentIndex(index);
}

QString settleTypedText(QComboBox &list, TypedList kind) {
    const QString typed = list.currentText();
    const QString inUse = list.itemText(list.currentIndex());
    if (typed == inUse) return {};
    list.setEditText(inUse);
    if (kind == TypedList::Port)
        return QStringLiteral("« %1 » n'est pas un port de la liste : le port reste %2.")
            .arg(typed, inUse);
    if (inUse.isEmpty())
        return QStringLiteral("« %1 » n'est pas une période de la liste : aucune période n'est "
                              "choisie.")
            .arg(typed);
    return QStringLiteral("« %1 » n'est pas une période de la liste : la période reste « %2 ».")
        .arg(typed, inUse);
}
