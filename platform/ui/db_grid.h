#pragma once
// A grid bound to a data control: one row per record of the control's record set, one column per
// field given with addColumn (or every field of the record set when none was given).
//
//   grdConsulta->setDataSource(dtConsulta);
//   grdConsulta->addColumn("Nit", "Nit");
//   form->onDblClick(grdConsulta, [this] { grdConsulta_DblClick(); });
//   connect(grdConsulta, &ui::DBGrid::headClick, ...);   // a click on a column heading
//
// The highlighted row is the record set's current record, both ways: choosing a row (click, keys)
// moves the record set there, and every move of the record set (a lookup, a walk, a requery, a
// new record set after a Refresh) moves the highlight once the program is idle again. A double
// click first makes the row under the mouse the current record, so the double-click handler
// always reads the row that was clicked.
//
// The grid is a view over the record set's rows: only the cells on screen are read and formatted,
// so a long worksheet costs no more to show than a short one. It fills itself again on every
// Refresh (or UpdateControls) of its data control and whenever rows are added, deleted or read
// anew. It is read-only: records are changed through the forms' boxes, never typed into the grid.
#include "platform/db/database.h"

#include <QPointer>
#include <QTableView>
#include <QVariant>

class QLabel;

namespace ui {

class DataControl;
class GridModel;

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataControl* source);
    DataControl* DataSource() const;

    // A column with its heading, the record set's field and an optional Format pattern.
    void addColumn(const QString& caption, const QString& dataField, const QString& numberFormat = QString());
    void clearColumns();
    // Keeps count columns: the ones given, then empty ones (their widths can be set beforehand).
    void setColumnCount(int count);
    QString columnField(int column) const;

    // The caption shown above the grid. The grid's tool tip is the form's own affair.
    void setCaption(const QString& caption);
    QString Caption() const { return caption_; }

    // Whether every re-read sizes the columns to their contents (the default). A form that sizes
    // its columns itself turns it off.
    void setAutoResize(bool autoResize) { autoResize_ = autoResize; }
    bool autoResize() const { return autoResize_; }

    // Reads the record set again (what a Refresh of the data control does).
    void ReBind();

    // The record of a row is made the data control's current record, and the row the highlighted one.
    void selectRow(int row);

    // What the grid shows.
    int rowCount() const;
    int columnCount() const;
    QString text(int row, int column) const;
    QString headerText(int column) const;
    // The highlighted row (-1 when none); the record set's current row once the program is idle.
    int currentRow() const;
    // Where a cell is drawn, in the viewport's coordinates (for clicks).
    QRect cellRect(int row, int column) const;

signals:
    void headClick(int column);

private:
    void watch(const db::Recordset& rs);
    void unwatch();
    void recordsetChanged(db::Recordset::Change change);
    void reread(bool newRecordset);
    void scheduleSync();
    void syncWithRecordset();
    void moveRecordsetTo(int row);

    GridModel* model_;
    QPointer<DataControl> source_;
    QMetaObject::Connection sourceConnection_;
    db::Recordset watched_;
    int watchId_ = 0;
    QString caption_;
    QLabel* captionLabel_ = nullptr;
    bool syncing_ = false;        // the highlight is being set from the record set
    bool syncPending_ = false;
    bool autoResize_ = true;
};

} // namespace ui
