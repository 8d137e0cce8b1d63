#include "platform/ui/db_grid.h"

#include "platform/basic/basic.h"
#include "platform/ui/data_control.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <algorithm>

namespace ui {

// The rows of a record set as the grid shows them: a list of bookmarks, each cell read from the
// record set and formatted only when the view asks for it.
class GridModel : public QAbstractTableModel {
public:
    struct Column {
        QString caption;
        QString field;
        QString format;
        bool operator==(const Column&) const = default;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(ids_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(shown_.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= ids_.size() || index.column() >= shown_.size())
            return QVariant();
        if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole)
            return QVariant();
        const int field = fieldIndexes_.value(index.column(), -1);
        const QVariant value = field >= 0 ? rs_.fieldOf(ids_.at(index.row()), field) : QVariant();
        if (role == Qt::TextAlignmentRole) {
            const bool number = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int
                || value.typeId() == QMetaType::LongLong;
            return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        }
        const QString& format = shown_.at(index.column()).format;
        return format.isEmpty() ? basic::CStr(value) : basic::Format(value, format);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return section >= 0 && section < shown_.size() ? shown_.at(section).caption : QString();
        // The rows' headers are record selectors: they mark the current row and carry no number
        // (which the header would measure for every row it shows).
        if (orientation == Qt::Vertical && role == Qt::DisplayRole)
            return QString();
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    QList<Column>& declared() { return declared_; }
    const QList<Column>& shown() const { return shown_; }

    // The columns to show: the declared ones, or (on a re-read) every field of the record set
    // when none were declared.
    void updateColumns(bool everyFieldWhenNone = false)
    {
        QList<Column> columns = declared_;
        if (columns.isEmpty() && everyFieldWhenNone && rs_.isOpen()) {
            for (int i = 0; i < rs_.fieldCount(); ++i)
                columns << Column{rs_.fieldInfo(i).name, rs_.fieldInfo(i).name, QString()};
        }
        if (columns == shown_)
            return;
        // A change of columns starts the header afresh; a re-read of rows keeps its widths.
        beginResetModel();
        shown_ = columns;
        ids_.clear();
        endResetModel();
        indexFields();
    }

    // Takes the rows of a record set (the same one again, or a new one).
    void setRows(const db::Recordset& rs)
    {
        if (!ids_.isEmpty()) {
            beginRemoveRows({}, 0, int(ids_.size()) - 1);
            ids_.clear();
            endRemoveRows();
        }
        rs_ = rs;
        updateColumns(true);
        indexFields();
        const QList<int> ids = rs_.isOpen() ? rs_.bookmarks() : QList<int>();
        if (!ids.isEmpty()) {
            beginInsertRows({}, 0, int(ids.size()) - 1);
            ids_ = ids;
            endInsertRows();
        }
    }

    // The row of a bookmark; -1 when the grid does not show it. Bookmarks grow along the rows.
    int rowOf(int bookmark) const
    {
        const auto it = std::lower_bound(ids_.cbegin(), ids_.cend(), bookmark);
        return it != ids_.cend() && *it == bookmark ? int(it - ids_.cbegin()) : -1;
    }

    int bookmarkOf(int row) const { return row >= 0 && row < ids_.size() ? ids_.at(row) : 0; }

private:
    void indexFields()
    {
        fieldIndexes_.clear();
        for (const Column& c : shown_)
            fieldIndexes_ << (rs_.isOpen() && !c.field.isEmpty() ? rs_.fieldIndex(c.field) : -1);
    }

    QList<Column> declared_;
    QList<Column> shown_;
    QList<int> fieldIndexes_;
    QList<int> ids_;
    db::Recordset rs_;
};

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new GridModel(this))
{
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().height());
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(true);   // the last column takes the spare width
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DBGrid::headClick);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (!syncing_ && current.isValid())
            moveRecordsetTo(current.row());
    });
    // Made before any handler of the form connects: the clicked row is the current record by
    // the time the form's double-click handler reads it.
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            moveRecordsetTo(index.row());
    });
}

DBGrid::~DBGrid()
{
    unwatch();
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
    model_->declared() << GridModel::Column{caption, dataField, numberFormat};
    model_->updateColumns();
}

void DBGrid::clearColumns()
{
    model_->declared().clear();
    model_->updateColumns();
}

void DBGrid::setColumnCount(int count)
{
    QList<GridModel::Column>& columns = model_->declared();
    while (columns.size() > count)
        columns.removeLast();
    while (columns.size() < count)
        columns << GridModel::Column{};
    model_->updateColumns();
}

QString DBGrid::columnField(int column) const
{
    const auto& shown = model_->shown();
    return column >= 0 && column < shown.size() ? shown.at(column).field : QString();
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
}

void DBGrid::ReBind()
{
    reread(true);
}

void DBGrid::watch(const db::Recordset& rs)
{
    unwatch();
    watched_ = rs;
    if (rs.isOpen())
        watchId_ = rs.watch([this](db::Recordset::Change change) { recordsetChanged(change); });
}

void DBGrid::unwatch()
{
    if (watchId_)
        watched_.unwatch(watchId_);
    watchId_ = 0;
    watched_ = db::Recordset();
}

void DBGrid::recordsetChanged(db::Recordset::Change change)
{
    if (change == db::Recordset::Change::Moved)
        scheduleSync();
    else
        reread(false);
}

void DBGrid::reread(bool newRecordset)
{
    db::Recordset rs = source_ ? source_->Recordset() : db::Recordset();
    if (newRecordset || !watchId_)
        watch(rs);
    syncing_ = true;   // the rows going away move no record
    model_->setRows(rs.isOpen() ? rs : db::Recordset());
    syncing_ = false;
    syncWithRecordset();
    if (autoResize_)
        resizeColumnsToContents();
}

void DBGrid::scheduleSync()
{
    // A walk over the record set moves it once per row: the highlight follows once, at the end.
    if (syncPending_)
        return;
    syncPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (syncPending_)
            syncWithRecordset();
    });
}

void DBGrid::syncWithRecordset()
{
    syncPending_ = false;
    int row = -1;
    try {
        if (watched_.isOpen() && !watched_.eof() && !watched_.bof())
            row = model_->rowOf(watched_.bookmark().toInt());
    } catch (const db::DbError&) {
        // The current record was deleted: no row is highlighted.
    }
    syncing_ = true;
    if (row < 0) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        const QModelIndex index = model_->index(row, qMax(0, currentIndex().column()));
        if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, {})) {
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            // A hidden grid lays out nothing; one on screen brings the current row into sight.
            if (isVisible())
                scrollTo(index);
        }
    }
    syncing_ = false;
}

void DBGrid::moveRecordsetTo(int row)
{
    if (!source_ || row < 0 || row >= model_->rowCount())
        return;
    db::Recordset rs = source_->Recordset();
    if (!rs.isOpen())
        return;
    try {
        rs.setBookmark(model_->bookmarkOf(row));
    } catch (const db::DbError&) {
        // The record is gone (deleted since the grid was filled); the cursor stays.
    }
    syncWithRecordset();
}

void DBGrid::selectRow(int row)
{
    moveRecordsetTo(row);
}

int DBGrid::rowCount() const
{
    return model_->rowCount();
}

int DBGrid::columnCount() const
{
    return model_->columnCount();
}

QString DBGrid::text(int row, int column) const
{
    return model_->data(model_->index(row, column), Qt::DisplayRole).toString();
}

QString DBGrid::headerText(int column) const
{
    return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

int DBGrid::currentRow() const
{
    return selectionModel()->isRowSelected(currentIndex().row(), {}) ? currentIndex().row() : -1;
}

QRect DBGrid::cellRect(int row, int column) const
{
    return visualRect(model_->index(row, column));
}

} // namespace ui
