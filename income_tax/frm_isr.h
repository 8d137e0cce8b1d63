#pragma once
// The annual income-tax return of one salaried taxpayer (caption "ISR").
//
// The user types a tax id into cmbContrib and presses Enter (or picks one in the list): the
// taxpayer's name and first employer come from the catalogue and the stored return, if any, from
// the table ISR; every box is cleared first, so nothing of the taxpayer shown before stays. The
// numbered boxes are then filled from the keyboard along one fixed chain, where Enter and Tab
// move on and check the box just left, and entering a box checks the one before it. The totals
// and the tax follow the typing (income_tax/isr_computation.h).
//
// cmdGrabar stores the return under the taxpayer loaded by Enter (one row per tax id);
// cmdImprime computes the return and prints it on "rep005.rpt"; cmdLimpiar empties the amounts
// and the employers; cmdSalir closes the form; cmdBorrar does nothing.
//
// While the form is active "&Periodo...", "&Generar Archivo Electrónico..." and "&Base de
// Datos..." are off; closing the form turns them on again.
#include "income_tax/isr_computation.h"
#include "platform/ui/form.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;

namespace Ui { class frmISR; }
namespace ui {
class DataControl;
class DBCombo;
class MaskedBox;
class StatusBar;
}
namespace report { class ReportControl; }

class frmISR : public ui::Form {
    Q_OBJECT
public:
    explicit frmISR(QWidget* parent = nullptr);
    ~frmISR() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    void cmbContrib_GotFocus();
    void cmbContrib_LostFocus();
    void cmbContrib_Click();
    void cmbContrib_KeyPress(int& KeyAscii);
    void cmdLimpiar_Click();
    void cmdSalir_Click();
    void cmdGrabar_Click();
    void cmdImprime_Click();
    void cmdGrabar_GotFocus();

    // Positions dtEnc on the worksheet header of the loaded taxpayer and the current period;
    // false when there is none.
    bool Encuentra();

    // The computation over the boxes (see isr_computation.h). CalculaISR returns false when a
    // result went beyond the range of a double (its boxes are then left empty).
    void PreparaCasillas();
    bool CalculaISR();
    // Points the user at the first typed box that is not an amount (message, focus, box emptied);
    // false when there was one.
    bool ValidaCantidades();

    // The box of a line's number (16 ... 39).
    ui::MaskedBox* casilla(int number) const;
    // The tax id loaded by the last Enter in cmbContrib ("" when none).
    QString nitCargado() const { return nitCargado_; }

    // The bracket of the last computation.
    double TasaISR = 0;
    double ImporteFijoISR = 0;
    double LimiteInferiorISR = 0;

    QLabel* lblNo;
    ui::DBCombo* cmbContrib;
    QLineEdit* txtNombre;
    QLabel* lblActual;
    QLineEdit* txtNomPat1;
    QLineEdit* txtNitPat1;
    ui::MaskedBox* txtNomPat2;
    ui::MaskedBox* txtNitPat2;
    ui::MaskedBox* txtNomPat3;
    ui::MaskedBox* txtNitPat3;
    ui::MaskedBox* casilla16;
    ui::MaskedBox* casilla17;
    ui::MaskedBox* casilla18;
    ui::MaskedBox* casilla19;
    ui::MaskedBox* casilla20;
    ui::MaskedBox* casilla21;
    ui::MaskedBox* casilla22;
    ui::MaskedBox* casilla23;
    ui::MaskedBox* casilla24;
    ui::MaskedBox* casilla25;
    ui::MaskedBox* casilla26;
    ui::MaskedBox* casilla27;
    ui::MaskedBox* casilla28;
    ui::MaskedBox* casilla33;
    ui::MaskedBox* casilla34;
    ui::MaskedBox* casilla36;
    ui::MaskedBox* casilla38;
    ui::MaskedBox* casilla39;
    ui::DataControl* dtContribuyente;
    ui::DataControl* dtISR;
    ui::DataControl* dtEnc;
    report::ReportControl* rptImprime;
    ui::StatusBar* Stat;
    QToolButton* cmdGrabar;
    QToolButton* cmdLimpiar;
    QToolButton* cmdBorrar;
    QToolButton* cmdImprime;
    QToolButton* cmdSalir;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The entry chain's rules (named after what they do on Enter/Tab and on entering a field).
    void enterAmountMoveFirst(int& KeyAscii, ui::MaskedBox* box, QWidget* next);
    void enterAmountCheckFirst(int& KeyAscii, ui::MaskedBox* box, QWidget* next);
    void enterEmployerName(int& KeyAscii, ui::MaskedBox* name, QWidget* nit);
    void enterEmployerNit(int& KeyAscii, ui::MaskedBox* name, ui::MaskedBox* nit, QWidget* next);
    // Rule of the field after an amount box: refuses (message, focus, box emptied) a previous box
    // that is not an amount; true when it is one.
    bool refuseIfNotAmount(ui::MaskedBox* previous);
    void enteringAfterAmount(ui::MaskedBox* previous);
    void enteringEmployerNit(ui::MaskedBox* name, ui::MaskedBox* nit, bool line3);
    void enteringLineAmount(ui::MaskedBox* name, ui::MaskedBox* nit, bool line3);
    void skipToDeductions();
    void fitLinesWidth();

    // Registers a field's Enter handler; Tab reaches it too, as Enter.
    void onEnter(QWidget* field, std::function<void(int&)> handler);

    void cargaContribuyente(const QString& nit);
    void limpiaTodo();
    // One run of the save; true when the user asked to run it again.
    bool grabaUnaVez();
    income_tax::Casillas leeCasillas() const;
    void escribeCasillas(const income_tax::Casillas& boxes);
    void showPrompt(const QString& prompt);

    std::unique_ptr<Ui::frmISR> layout_;
    std::unique_ptr<report::ReportControl> report_;
    QScrollArea* scrollLines_ = nullptr;   // the return's lines, scrolled on a short window
    QMetaObject::Connection scrollToFocus_;   // scrolls the box that takes the focus into view
    QHash<QWidget*, std::function<void(int&)>> enterHandlers_;
    QString nitCargado_;
    bool refusedOnEntry_ = false;     // the save button's entering check has just refused a box
    QVariant contribuyenteCargado_;   // the No of the loaded taxpayer (Null when not in the catalogue)
};
