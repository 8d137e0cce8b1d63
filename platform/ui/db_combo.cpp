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

QString DBCombo::BoundText() const
{
    const QString text = Text();
    if (text.isEmpty())
        return QString();
    const int current = currentIndex();
    if (current >= 0 && itemText(current).compare(text, Qt::CaseInsensitive) == 0)
        return boundValue(current);
    for (int row = 0; row < count(); ++row)
        if (itemText(row).compare(text, Qt::CaseInsensitive) == 0)
            return boundValue(row);
    return QString();
}

void DBCombo::setBoundText(const QString& value)
{
    const QString before = Text();
    int found = -1;
    for (int row = 0; row < count() && found < 0; ++row)
        if (boundValue(row).compare(value, Qt::CaseInsensitive) == 0)
            found = row;
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
