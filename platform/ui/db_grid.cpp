#include "platform/ui/db_grid.h"

#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>

namespace ui {

DBGrid::DBGrid(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(true);   // the last column takes the spare width
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DBGrid::headClick);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!filling_)
            moveRecordsetTo(row);
    });
}

void DBGrid::setDataSource(DataControl* source)
{
    disconnect(sourceConnection_);
    source_ = source;
    if (source)
        sourceConnection_ = connect(source, &DataControl::refreshed, this, &DBGrid::ReBind);
    ReBind();
}

DataControl* DBGrid::DataSource() const
{
    return source_;
}

void DBGrid::addColumn(const QString& caption, const QString& dataField, const QString& numberFormat)
{
    columns_ << Column{caption, dataField, numberFormat};
    // The column exists at once, so a width set right after this call holds; later re-reads
    // keep the count and with it the widths.
    const int column = int(columns_.size()) - 1;
    if (columnCount() != columns_.size())
        setColumnCount(int(columns_.size()));
    setHorizontalHeaderItem(column, new QTableWidgetItem(caption));
}

void DBGrid::clearColumns()
{
    columns_.clear();
    setColumnCount(0);
}

QString DBGrid::columnField(int column) const
{
    return column >= 0 && column < columns_.size() ? columns_.at(column).field : QString();
}

void DBGrid::setCaption(const QString& caption)
{
    caption_ = caption;
    if (!captionLabel_ && parentWidget()) {
        if (auto* box = qobject_cast<QBoxLayout*>(parentWidget()->layout())) {
            const int at = box->indexOf(this);
            if (at >= 0) {
                captionLabel_ = new QLabel(parentWidget());
                captionLabel_->setAlignment(Qt::AlignCenter);
                captionLabel_->setObjectName(objectName() + QStringLiteral("_caption"));
                box->insertWidget(at, captionLabel_);
            }
        }
    }
    if (captionLabel_)
        captionLabel_->setText(caption);
    setToolTip(caption);
}

void DBGrid::ReBind()
{
    filling_ = true;
    clearContents();
    setRowCount(0);
    bookmarks_.clear();
    db::Recordset rs = source_ ? source_->Recordset() : db::Recordset();
    QList<Column> columns = columns_;
    if (columns.isEmpty() && rs.isOpen()) {
        for (int i = 0; i < rs.fieldCount(); ++i)
            columns << Column{rs.fieldInfo(i).name, rs.fieldInfo(i).name, QString()};
    }
    setColumnCount(int(columns.size()));
    QStringList headings;
    for (const Column& c : columns)
        headings << c.caption;
    setHorizontalHeaderLabels(headings);

    if (rs.isOpen() && rs.recordCount() > 0 && rs.editMode() == db::EditMode::None) {
        QList<int> indexes;
        for (const Column& c : columns)
            indexes << rs.fieldIndex(c.field);
        const bool onRow = !rs.eof() && !rs.bof();
        const QVariant mark = onRow ? rs.bookmark() : QVariant();
        int current = -1;
        rs.moveFirst();
        for (int row = 0; !rs.eof(); ++row, rs.moveNext()) {
            insertRow(row);
            bookmarks_ << rs.bookmark();
            if (onRow && rs.bookmark() == mark)
                current = row;
            for (int c = 0; c < columns.size(); ++c) {
                const int index = indexes.at(c);
                const QVariant value = index >= 0 ? rs.field(index) : QVariant();
                const QString text = columns.at(c).format.isEmpty() ? basic::CStr(value)
                                                                    : basic::Format(value, columns.at(c).format);
                auto* item = new QTableWidgetItem(text);
                if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                setItem(row, c, item);
            }
        }
        if (onRow)
            rs.setBookmark(mark);
        else
            rs.moveFirst();
        if (current >= 0)
            setCurrentCell(current, 0);
    }
    if (autoResize_)
        resizeColumnsToContents();
    filling_ = false;
}

void DBGrid::moveRecordsetTo(int row)
{
    if (!source_ || row < 0 || row >= bookmarks_.size())
        return;
    db::Recordset rs = source_->Recordset();
    if (!rs.isOpen())
        return;
    try {
        rs.setBookmark(bookmarks_.at(row));
    } catch (const db::DbError&) {
        // The record is gone (deleted since the grid was filled); the cursor stays.
    }
}

void DBGrid::selectRow(int row)
{
    setCurrentCell(row, 0);
    moveRecordsetTo(row);
}

} // namespace ui
