#include "printing/frm_reportes.h"

#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/sizing.h"
#include "printing/worksheet_figures.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>

using namespace worksheet;

namespace {

// The grid's columns: caption and field alike.
const QStringList& printGridFields()
{
    static const QStringList fields{QStringLiteral("Provee"), QStringLiteral("Nombre"), QStringLiteral("Fecha"),
                                    QStringLiteral("Serie"),  QStringLiteral("NoDoc"),  QStringLiteral("Monto"),
                                    QStringLiteral("Galon"),  QStringLiteral("DisTipo")};
    return fields;
}
const int kMontoColumn = 5;
const int kTipoColumn = 7;

} // namespace

frmReportes::frmReportes(QWidget* parent) : frmPlanillas(parent)
{
    setObjectName(QStringLiteral("frmReportes"));
    setWindowTitle(QStringLiteral("REPORTES"));
    fraDetalle->setVisible(false);
    for (QPushButton* b : {cmdGrabar, cmdBorrar, cmdLimpiar})
        b->setVisible(false);
    cmdImprime->setVisible(true);
    if (auto* amount = findChild<QLabel*>(QStringLiteral("Label12")))
        amount->setText(QStringLiteral("Valor"));
    lblUnitario->setText(QStringLiteral("Unitario"));

    grdDetalle->clearColumns();
    for (const QString& field : printGridFields())
        grdDetalle->addColumn(field, field);
    grdDetalle->setColumnCount(int(printGridFields().size()));
    const int ch = grdDetalle->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int chars[] = {11, 24, 10, 6, 10, 10, 8, 18};
    int gridWidth = grdDetalle->verticalHeader()->sizeHint().width() + 2 * grdDetalle->frameWidth()
                    + grdDetalle->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int i = 0; i < 8; ++i) {
        grdDetalle->setColumnWidth(i, ch * chars[i] + 12);
        gridWidth += ch * chars[i] + 12;
    }
    // Every column in sight, and the taxpayer's whole name.
    grdDetalle->setMinimumWidth(gridWidth);
    ui::fitToChars(txtNombre, 32);
}

void frmReportes::Form_Load()
{
    frmPlanillas::Form_Load();
    const int electronic = cmbTipo->findData(11);
    if (electronic >= 0)
        cmbTipo->setItemText(electronic, QStringLiteral("Factura Electronica"));
    txtTotfac->setText(QString());
    txtEKO->setText(QString());
}

void frmReportes::Form_Activate()
{
    frmPlanillas::Form_Activate();
    reloadShown();
}

void frmReportes::takeNewSupplier()
{
    Biblio::gNitProveedor.clear();
    Biblio::gProveedorNuevo = false;
}

void frmReportes::reloadShown()
{
    // The worksheet in the grid is read again, whatever the taxpayer box holds by now: a tax id
    // typed there without Enter shows nothing of its own, and the print is of the rows shown.
    if (loadedTaxpayer().isEmpty())
        return;
    txtTotfac->setText(QString());
    txtEKO->setText(QString());
    Encuentra(loadedTaxpayer());
}

void frmReportes::cmbContrib_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    txtTotfac->setText(QString());
    txtEKO->setText(QString());
    if (!takeTaxpayer())
        return;
    // A valid tax id of nobody in the catalogue leaves the taxpayer shown as it was: the box goes
    // back to that taxpayer and the worksheet loads with them, so the screen never shows one
    // taxpayer over another's (or an empty) worksheet.
    if (cmbContrib->BoundText().isEmpty() && !loadedTaxpayer().isEmpty())
        cmbContrib->setBoundText(loadedTaxpayer());
    Encuentra(cmbContrib->BoundText());
}

QVariant frmReportes::Encuentra(const QString& contribuyente)
{
    const QVariant no = WorksheetForm::Encuentra(contribuyente);
    if (no.isNull()) {
        // No worksheet: nothing is computed and both boxes stay empty.
        txtTotfac->setText(QString());
        txtEKO->setText(QString());
        return no;
    }
    // The shared lookup has summed the rows and written the total, whose change wrote the credit.
    TotalFacturas = sums.facturas;
    TotalFormularios = sums.formularios;
    TotalJulio2001 = sums.julio2001;
    SumaTotalFacturas = sums.facturas;
    if (!txtTotfac->text().trimmed().isEmpty())
        CreditoTotal = creditUnrounded(variant(), sums, Biblio::gCoeficiente);
    Gogo();
    return no;
}

void frmReportes::Gogo()
{
    printing::FuelCodes codes;
    try {
        db::Recordset gastos = dtGastos->Recordset();
        if (gastos.isOpen()) {
            const QList<Fuel>& fuels = standardFuels();
            for (int i = 0; i < 8; ++i) {
                gastos.findFirst(QStringLiteral("[Descripcion] = ") + db::quoteLiteral(fuels[i].name));
                if (!gastos.noMatch())
                    codes[i] = gastos.field(QStringLiteral("Codigo"));
            }
        }
    } catch (const db::DbError&) {
    }
    QList<printing::FigureRow> rows;
    try {
        db::Recordset rs = dtDetalle->Recordset();
        if (rs.isOpen() && !(rs.eof() && rs.bof())) {
            rs.moveFirst();
            while (!rs.eof()) {
                rows.append({rs.field(QStringLiteral("Tipo")), rs.field(QStringLiteral("Fecha")),
                             rs.field(QStringLiteral("Monto")), rs.field(QStringLiteral("Gasto")),
                             rs.field(QStringLiteral("Galon"))});
                rs.moveNext();
            }
            rs.moveFirst();
        }
    } catch (const db::DbError&) {
    }
    breakdown = printing::worksheetBreakdown(rows, codes, Biblio::gCoeficiente);
}

printing::WorksheetFigures frmReportes::figures() const
{
    printing::WorksheetFigures f = breakdown;
    f.letras = printing::letrasOf(CreditoTotal);
    f.sumaTotal = printing::sumaTotalOf(SumaTotalFacturas);
    return f;
}

void frmReportes::cmdImprime_Click()
{
    // Documents may have changed in the entry form since the worksheet was shown.
    reloadShown();
    printing::WorksheetPrint print = worksheetPrint();
    print.figures = figures();
    printShown(print);
}

void frmReportes::grdDetalle_HeadClick(int column)
{
    // Before any worksheet there is nothing to sort.
    if (headerNo().isNull())
        return;
    sortDetalle(column, printGridFields(), kMontoColumn, kTipoColumn);
}
