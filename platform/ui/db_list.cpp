#include "platform/ui/db_list.h"

#include "platform/db/db_error.h"
#include "platform/ui/data_control.h"

namespace ui {

DBList::DBList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

DataControl* DBList::RowSource() const
{
    return source_.data();
}

void DBList::setRowSource(DataControl* source)
{
    QObject::disconnect(sourceConnection_);
    source_ = source;
    if (source) {
        sourceConnection_ = connect(source, &DataControl::refreshed, this, &DBList::ReFill);
        if (source->Recordset().isOpen())
            ReFill();
    }
}

QString DBList::BoundText() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->data(Qt::UserRole).toString();
}

void DBList::setBoundText(const QString& value)
{
    for (int row = 0; row < count(); ++row) {
        if (boundValue(row).compare(value, Qt::CaseInsensitive) == 0) {
            setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            scrollToItem(item(row));
            return;
        }
    }
    clearSelection();
    setCurrentItem(nullptr, QItemSelectionModel::Clear);
}

QString DBList::Text() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

QString DBList::boundValue(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->data(Qt::UserRole).toString() : QString();
}

void DBList::ReFill()
{
    if (!source_)
        return;
    QList<QStringList> rows;
    if (!source_->readListRows(listField_, boundColumn_, &rows, objectName()))
        return;
    clear();
    for (const QStringList& row : rows) {
        auto* it = new QListWidgetItem(row.at(0));
        it->setData(Qt::UserRole, row.at(1));
        addItem(it);
    }
    clearSelection();
    setCurrentItem(nullptr, QItemSelectionModel::Clear);
}

} // namespace ui
