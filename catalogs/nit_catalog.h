#pragma once
// What the taxpayer and supplier catalogues have in common: a form around one table whose rows are
// found by their tax id (column Nit).
//
// The user types a tax id into the combo and presses Enter (or picks one in its list): the row of
// that tax id is loaded into the boxes, or the boxes stay empty for a new one. The hyphen is
// swallowed, and more than 14 characters are cut back with a message. Entering the name box
// (txtNombre) looks up a tax id that was left without Enter. cmdGrabar writes the boxes back
// (insert or update by tax id), cmdEliminar deletes the row of the tax id; both go through the
// catalogues' database-error handling (catalogs/catalog_errors.h). The tab "&Consulta" lists every
// row; a double click on a row loads it. Each field writes its prompt into the third panel of the
// status bar.
//
// Loading the form shows it inside the main window; while it is active the menu entry
// "&Base de Datos..." is off, and its unloading turns it on again.
//
// A catalogue form sets up its layout and then calls setUpCatalog with what sets it apart
// (NitCatalogSetup); it forwards its combo's handlers, under the combo's name, to nitKeyPress,
// nitChanged and nitPicked.
#include "catalogs/catalog_errors.h"
#include "platform/ui/form.h"

#include <QList>
#include <QString>
#include <utility>

class QFrame;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace ui {
class DataControl;
class DBCombo;
class DBGrid;
class StatusBar;
}

namespace catalogs {

// A box of the form and the column it shows and writes.
struct BoxColumn {
    QLineEdit* box;
    QString column;
};

// What tells one catalogue from another.
struct NitCatalogSetup {
    ui::DBCombo* combo = nullptr;          // the tax-id combo
    ui::DataControl* records = nullptr;    // the record data control behind the boxes (hidden)
    QString table;                         // the catalogue's table
    QString boundColumn;                   // the combo's bound column
    QList<BoxColumn> boxes;                // in the order they are written
    QList<std::pair<QString, QString>> gridColumns;   // the consultation grid: caption, field
    QString gridCaption;
    QString nitPrompt;                     // the status-bar prompt of the combo
    QString namePrompt;                    // the status-bar prompt of the name box
    QString tooLongMessage;                // a tax id longer than 14 characters
    // The lookup also refuses, as missing, a tax id whose numeric value is 0. Without it only a
    // blank tax id is refused there: "0" loses its zeros and then fails the check.
    bool refuseZero = false;
    QString nameMissingMessage;            // the save with a blank name
    QString inUseMessage;                  // a deletion refused because a worksheet uses the row
};

class NitCatalog : public ui::Form {
    Q_OBJECT
public:
    ~NitCatalog() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    // Clears the form: level 1 the tax id and every box, and reads both data controls again;
    // level 2 the boxes only; any other level nothing.
    void Limpiar(qint16& level);

    void txtNombre_GotFocus();
    void SSTab1_GotFocus();
    void grdConsulta_DblClick();
    void cmdLimpiar_Click();
    void cmdGrabar_Click();
    void cmdEliminar_Click();
    void cmdSalir_Click();

    // True once the tax id now in the combo has been through the Enter handling.
    bool nitProcesado() const { return m_NitProcesado; }

    // Controls every catalogue has, under the same names.
    QTabWidget* SSTab1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtNombre = nullptr;
    ui::DataControl* dtConsulta = nullptr;
    ui::DBGrid* grdConsulta = nullptr;
    QFrame* fraCtrls = nullptr;
    QToolButton* cmdLimpiar = nullptr;
    QToolButton* cmdGrabar = nullptr;
    QToolButton* cmdEliminar = nullptr;
    QToolButton* cmdSalir = nullptr;
    ui::StatusBar* Stat = nullptr;

protected:
    explicit NitCatalog(QWidget* parent);

    // Takes the shared controls from the form's layout (after its setupUi) and wires the form.
    template <class Layout>
    void setUpCatalog(Layout& layout, NitCatalogSetup setup)
    {
        SSTab1 = layout.SSTab1;
        Label1 = layout.Label1;
        txtNombre = layout.txtNombre;
        dtConsulta = layout.dtConsulta;
        grdConsulta = layout.grdConsulta;
        fraCtrls = layout.fraCtrls;
        cmdLimpiar = layout.cmdLimpiar;
        cmdGrabar = layout.cmdGrabar;
        cmdEliminar = layout.cmdEliminar;
        cmdSalir = layout.cmdSalir;
        Stat = layout.Stat;
        wire(std::move(setup));
    }

    // The handlers of the tax-id combo. Enter (13) runs the lookup of the tax id; the hyphen (45)
    // is swallowed. A pick in the list counts as Enter.
    void nitKeyPress(int& KeyAscii);
    void nitChanged();
    void nitPicked();

    void showPrompt(const QString& prompt);

    // A refused check: the message (information icon) under the title of the tax-id checks or of
    // the save, and the focus sent to the box.
    enum class MessageTitle { Check, Save };
    void refuse(const QString& message, QWidget* focus, MessageTitle title = MessageTitle::Check);
    // True when the tax id passes Biblio::ValidaNit; otherwise refuses it as not valid.
    bool acceptNit(const QString& nit, QWidget* focus);

    // The save, after the tax id and the name box have passed: the form's other boxes, refused as
    // refuse() does (false stops the save).
    virtual bool checkOtherBoxes() { return true; }
    // The row of the tax id (as saved) has been written, before the data control is read again.
    virtual void recordWritten(const QString& nit) { Q_UNUSED(nit); }
    // The save is over: the form cleared, the focus asked for the combo.
    virtual void saveFinished() {}

private:
    void wire(NitCatalogSetup setup);
    void clearBoxes();
    // The Enter handling of the tax-id combo.
    void findNit();
    // One run of the save, inside the catalogue error handling.
    void saveRecord();
    CatalogErrorContext errorContext();

    NitCatalogSetup setup_;
    bool m_NitProcesado = false;
};

} // namespace catalogs
