#pragma once
// The expense-type catalogue: the user types or picks a description in cmbServicio and adds it as a
// new expense type (Gastos), renames the row found for it, or deletes that row. The grid below
// lists the catalogue and, until a row has been found, narrows to the descriptions that begin
// with the typed text.
//
// A description is "found" by Enter in the combo (a lookup by description), by a pick in the
// combo's list or by a double-click in the grid (both by the row's code). From then on a save
// writes the typed text into that row, which keeps its code; Enter moves straight on to
// cmdGrabar. Every save, every refused save and every deletion starts afresh (Limpiar).
//
// The eight fuel rows are protected (catalogs/fuel_rules.h): their names cannot be deleted or
// saved again, generic fuel words cannot be saved, and codes 24 to 31 cannot be picked from the
// grid. A fuel row found through the combo can still be renamed.
//
// A deletion the database refuses because worksheet rows use the expense type shows its own
// message and leaves the form as it was. Any other failure of a save or deletion is reported
// (" Error de sistema ", the number and the engine's description) and the typed text stays in
// the combo, so that nothing is lost. Activating the form disables "&Base de Datos..." in the
// main menu; unloading enables it again.
#include "platform/db/database.h"
#include "platform/ui/form.h"

#include <QPointer>
#include <memory>

class QFrame;
class QLabel;
class QToolButton;

namespace Ui { class frmGastos; }
namespace ui {
class DataControl;
class DBCombo;
class DBGrid;
class StatusBar;
}

class frmGastos : public ui::Form {
    Q_OBJECT
public:
    explicit frmGastos(QWidget* parent = nullptr);
    ~frmGastos() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    void cmbServicio_GotFocus();
    void cmbServicio_LostFocus();
    void cmbServicio_Change();
    void cmbServicio_KeyPress(int& KeyAscii);
    void cmbServicio_Click();
    void DBGrid1_DblClick();
    void cmdGrabar_Click();
    void cmdEliminar_Click();
    void cmdCancelar_Click();
    void cmdSalir_Click();

    // Option 0 starts afresh: nothing found, an empty combo, the whole catalogue in the grid and
    // the focus in the combo. Any other option does nothing.
    void Limpiar(int opcion);
    // Keeps a reference to the object that created the form.
    void Creador(QObject* creador);

    // Controls.
    QFrame* SSFrame1;
    QLabel* lblMedicamento;
    ui::DBCombo* cmbServicio;
    ui::DBGrid* DBGrid1;
    ui::DataControl* dtServicios;   // feeds the combo; its record set serves lookups, saves, deletions
    ui::DataControl* dtConsulta;    // feeds the grid; the prefix filter replaces its record source
    QFrame* Frame6;
    QToolButton* cmdGrabar;
    QToolButton* cmdEliminar;
    QToolButton* cmdCancelar;
    QToolButton* cmdSalir;
    ui::StatusBar* Stat;

    // Form state.
    bool m_Encontrado = false;   // the combo's description has been found as an existing row
    int m_Codigo = 0;            // Codigo of the row found last (0 after a lookup that found none)
    int m_Largo = 0;             // trimmed length of the combo's text at its last change

private:
    // Moves dtServicios' record set to the row of that code and makes it the found row; false
    // (and nothing found) when there is no such row.
    bool findByCode(int code);
    // Shows a failed write; the combo keeps its text and the focus goes back to it.
    void reportFailure(const db::DbError& error);

    std::unique_ptr<Ui::frmGastos> layout_;
    QPointer<QObject> creador_;
};
