#include "platform/ui/data_control.h"

#include "platform/basic/basic.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ui {

DataControl::DataControl(QWidget* parent) : QWidget(parent), caption_(new QLabel(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(caption_);
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Sunken);
}

QString DataControl::Caption() const
{
    return caption_->text();
}

void DataControl::setCaption(const QString& caption)
{
    caption_->setText(caption);
}

void DataControl::Refresh()
{
    db::Database database = db::Database::open(databaseName_, connect_, exclusive_, readOnly_);
    db::Recordset recordset;
    if (!recordSource_.trimmed().isEmpty())
        recordset = database.openRecordset(recordSource_, recordsetType_);
    database_ = database;
    recordset_ = recordset;
    openedName_ = databaseName_;
    openedConnect_ = connect_;
    emit refreshed();
}

void DataControl::RefreshRecordset()
{
    if (!database_.isOpen() || openedName_ != databaseName_ || openedConnect_ != connect_) {
        Refresh();
        return;
    }
    db::Recordset recordset;
    if (!recordSource_.trimmed().isEmpty())
        recordset = database_.openRecordset(recordSource_, recordsetType_);
    recordset_ = recordset;
    emit refreshed();
}

void DataControl::UpdateRecord()
{
    if (recordset_.isOpen() && recordset_.editMode() != db::EditMode::None)
        recordset_.update();
}

void DataControl::UpdateControls()
{
    emit refreshed();
}

QList<QStringList> DataControl::readRows(const QStringList& fields, bool* ok) const
{
    QList<QStringList> rows;
    if (ok)
        *ok = true;
    db::Recordset rs = recordset_;
    if (!rs.isOpen() || rs.recordCount() == 0)
        return rows;
    if (rs.editMode() != db::EditMode::None) {
        if (ok)
            *ok = false;
        return rows;
    }
    QList<int> indexes;
    for (const QString& name : fields) {
        const int index = rs.fieldIndex(name);
        if (index < 0)
            db::raise(db::err::ItemNotFound, name);
        indexes << index;
    }
    const bool onRow = !rs.eof() && !rs.bof();
    const QVariant mark = onRow ? rs.bookmark() : QVariant();
    rs.moveFirst();
    while (!rs.eof()) {
        QStringList row;
        for (int index : indexes)
            row << basic::CStr(rs.field(index));
        rows << row;
        rs.moveNext();
    }
    if (onRow)
        rs.setBookmark(mark);
    else
        rs.moveFirst();
    return rows;
}

bool DataControl::readListRows(const QString& listField, const QString& boundColumn, QList<QStringList>* rows,
                               const QString& reader) const
{
    bool ok = true;
    rows->clear();
    try {
        *rows = readRows({listField, boundColumn.isEmpty() ? listField : boundColumn}, &ok);
    } catch (const db::DbError& e) {
        qWarning("%s: cannot read its rows: %s", qPrintable(reader), e.what());
    }
    return ok;
}

} // namespace ui
