#include "platform/ui/db_combo.h"

#include "platform/db/db_error.h"
#include "platform/ui/data_control.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace ui {

DBCombo::DBCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (!quiet_)
            emit changed();
    });
    QAbstractItemModel* rows = model();
    const auto forget = [this] { indexed_ = false; };
    connect(rows, &QAbstractItemModel::rowsInserted, this, forget);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(rows, &QAbstractItemModel::rowsMoved, this, forget);
    connect(rows, &QAbstractItemModel::dataChanged, this, forget);
    connect(rows, &QAbstractItemModel::modelReset, this, forget);
    connect(rows, &QAbstractItemModel::layoutChanged, this, forget);
    // QComboBox also reports a row as activated when the typed text equals it and the edit loses
    // the focus; only a choice in the open list is a pick.
    connect(this, &QComboBox::activated, this, [this] {
        if (popupClosing_) {
            popupClosing_ = false;
            emit listPicked();
        }
    });
}

DataControl* DBCombo::RowSource() const
{
    return source_.data();
}

void DBCombo::setRowSource(DataControl* source)
{
    QObject::disconnect(sourceConnection_);
    source_ = source;
    if (source) {
        sourceConnection_ = connect(source, &DataControl::refreshed, this, &DBCombo::ReFill);
        if (source->Recordset().isOpen())
            ReFill();
    }
}

QString DBCombo::Text() const
{
    return lineEdit()->text();
}

void DBCombo::setText(const QString& text)
{
    lineEdit()->setText(text);
}

QString DBCombo::boundValue(int row) const
{
    return itemData(row).toString();
}

void DBCombo::index() const
{
    if (indexed_)
        return;
    rowOfText_.clear();
    rowOfBound_.clear();
    const int rows = count();
    rowOfText_.reserve(rows);
    rowOfBound_.reserve(rows);
    for (int row = rows - 1; row >= 0; --row) {   // the first row of a key is the one kept
        rowOfText_.insert(itemText(row).toCaseFolded(), row);
        rowOfBound_.insert(boundValue(row).toCaseFolded(), row);
    }
    indexed_ = true;
}

QString DBCombo::BoundText() const
{
    const QString text = Text();
    if (text.isEmpty())
        return QString();
    const int current = currentIndex();
    if (current >= 0 && itemText(current).compare(text, Qt::CaseInsensitive) == 0)
        return boundValue(current);
    index();
    const int row = rowOfText_.value(text.toCaseFolded(), -1);
    return row >= 0 ? boundValue(row) : QString();
}

void DBCombo::setBoundText(const QString& value)
{
    const QString before = Text();
    index();
    const int found = rowOfBound_.value(value.toCaseFolded(), -1);
    quiet_ = true;
    setCurrentIndex(found);
    lineEdit()->setText(found >= 0 ? itemText(found) : QString());
    quiet_ = false;
    if (Text() != before)
        emit changed();
}

void DBCombo::setTextQuietly(const QString& text)
{
    quiet_ = true;
    lineEdit()->setText(text);
    quiet_ = false;
}

void DBCombo::ReFill()
{
    if (!source_)
        return;
    QList<QStringList> rows;
    if (!source_->readListRows(listField_, boundColumn_, &rows, objectName()))
        return;
    const QString text = Text();
    quiet_ = true;
    clear();
    for (const QStringList& row : rows)
        addItem(row.at(0), row.at(1));
    setCurrentIndex(-1);
    quiet_ = false;
    setTextQuietly(text);
}

void DBCombo::hidePopup()
{
    popupClosing_ = true;
    QComboBox::hidePopup();
    // The choice, when there is one, is reported right after the list closes.
    QTimer::singleShot(0, this, [this] { popupClosing_ = false; });
}

void DBCombo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace ui
