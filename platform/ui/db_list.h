#pragma once
// A list bound to a data control: one row per record of the control's record set, showing the
// list field; the bound column is the row's value.
//
//   lstPeriodos->setRowSource(dtPeriodos);
//   lstPeriodos->setListField("Dis");
//   lstPeriodos->setBoundColumn("No");
//   lstPeriodos->setBoundText("3");        // selects period 3
//   QString no = lstPeriodos->BoundText(); // "" when nothing is selected
//
// The list fills itself again on every Refresh (or UpdateControls) of its data control and then
// has no row selected. Double clicks reach the form through Form::onDblClick.
#include <QListWidget>
#include <QPointer>

namespace ui {

class DataControl;

class DBList : public QListWidget {
    Q_OBJECT
public:
    explicit DBList(QWidget* parent = nullptr);

    void setRowSource(DataControl* source);
    DataControl* RowSource() const;
    void setListField(const QString& field) { listField_ = field; }
    QString ListField() const { return listField_; }
    void setBoundColumn(const QString& column) { boundColumn_ = column; }
    QString BoundColumn() const { return boundColumn_; }

    // The bound column of the selected row, "" when no row is selected.
    QString BoundText() const;
    // Selects the first row whose bound column equals value (as text, ignoring letter case);
    // clears the selection when there is none.
    void setBoundText(const QString& value);
    // The list field of the selected row, "" when no row is selected.
    QString Text() const;

    // Reads the rows of the data control's record set again.
    void ReFill();

    QString boundValue(int row) const;

private:
    QPointer<DataControl> source_;
    QMetaObject::Connection sourceConnection_;
    QString listField_;
    QString boundColumn_;
};

} // namespace ui
