#pragma once
// A grid bound to a data control: one row per record of the control's record set, one column per
// field given with addColumn (or every field of the record set when none was given). Choosing a
// row moves the record set to that record, so a double-click handler reads the chosen record
// from the data control:
//
//   grdConsulta->setDataSource(dtConsulta);
//   grdConsulta->addColumn("Nit", "Nit");
//   form->onDblClick(grdConsulta, [this] { grdConsulta_DblClick(); });
//   connect(grdConsulta, &ui::DBGrid::headClick, ...);   // a click on a column heading
//
// The grid fills itself again on every Refresh (or UpdateControls) of its data control. It is
// read-only: records are changed through the forms' boxes, never typed into the grid.
#include <QPointer>
#include <QTableWidget>
#include <QVariant>

class QLabel;

namespace ui {

class DataControl;

class DBGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataSource(DataControl* source);
    DataControl* DataSource() const;

    // A column with its heading, the record set's field and an optional Format pattern.
    void addColumn(const QString& caption, const QString& dataField, const QString& numberFormat = QString());
    void clearColumns();
    QString columnField(int column) const;

    // The caption shown above the grid.
    void setCaption(const QString& caption);
    QString Caption() const { return caption_; }

    // Whether every re-read sizes the columns to their contents (the default). Measuring every
    // cell is slow on long lists; a form that sizes its columns itself turns it off.
    void setAutoResize(bool autoResize) { autoResize_ = autoResize; }
    bool autoResize() const { return autoResize_; }

    // Reads the record set again (what a Refresh of the data control does).
    void ReBind();

    // The record of a row is made the data control's current record.
    void selectRow(int row);

signals:
    void headClick(int column);

private:
    struct Column {
        QString caption;
        QString field;
        QString format;
    };
    void moveRecordsetTo(int row);

    QPointer<DataControl> source_;
    QMetaObject::Connection sourceConnection_;
    QList<Column> columns_;
    QList<QVariant> bookmarks_;
    QString caption_;
    QLabel* captionLabel_ = nullptr;
    bool filling_ = false;
    bool autoResize_ = true;
};

} // namespace ui
