#pragma once
// An editable combo bound to a data control: its list holds one row per record (the list field),
// each with its bound column; its text is what the user types or what the program sets.
//
//   cmbNit->setRowSource(dtProvee);
//   cmbNit->setListField("Nit");
//   cmbNit->setBoundColumn("Nit");
//   cmbNit->Text();           // the typed text
//   cmbNit->BoundText();      // bound column of the row whose list field equals the text
//
// Typing never opens the list and never completes the text. Enter is left to the form (the
// combo does nothing with it). A pick in the list (mouse click or Enter on a list row) sets the
// text, emits changed() and then listPicked(), which Form::onClick routes as the Click that the
// forms treat as Enter. Key presses reach Form::onKeyPress like those of a text box.
// The list fills itself again on every Refresh (or UpdateControls) of its data control; the text
// stays as it was.
#include <QComboBox>
#include <QHash>
#include <QPointer>

namespace ui {

class DataControl;

class DBCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DBCombo(QWidget* parent = nullptr);

    void setRowSource(DataControl* source);
    DataControl* RowSource() const;
    void setListField(const QString& field) { listField_ = field; }
    QString ListField() const { return listField_; }
    void setBoundColumn(const QString& column) { boundColumn_ = column; }
    QString BoundColumn() const { return boundColumn_; }

    QString Text() const;
    void setText(const QString& text);

    // The bound column of the list row whose list field equals the text, ignoring letter case
    // (the row picked last when several are equal); "" for an empty text or when no row matches.
    QString BoundText() const;
    // Shows the list field of the first row whose bound column equals value (as text, ignoring
    // letter case); an empty text when there is none. A change of the text emits changed().
    void setBoundText(const QString& value);

    // Reads the rows of the data control's record set again.
    void ReFill();

    QString boundValue(int row) const;

    void hidePopup() override;

signals:
    void changed();      // the text changed, typed or set
    void listPicked();   // a row was chosen in the list

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setTextQuietly(const QString& text);
    // The first row of each list text and of each bound value (case folded), made when first
    // asked for and forgotten when the list changes: a list of thousands is not read row by row
    // for every lookup.
    void index() const;

    mutable bool indexed_ = false;
    mutable QHash<QString, int> rowOfText_;
    mutable QHash<QString, int> rowOfBound_;
    QPointer<DataControl> source_;
    QMetaObject::Connection sourceConnection_;
    QString listField_;
    QString boundColumn_;
    bool quiet_ = false;
    bool popupClosing_ = false;   // the list has just closed; a choice made in it follows at once
};

} // namespace ui
