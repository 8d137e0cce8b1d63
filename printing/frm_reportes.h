#pragma once
// The print form: a taxpayer's worksheet of the current period shown read-only (the entry form's
// layout with the document fields and the save, delete and clear buttons hidden), computed per
// document type and per fuel, and printed on "rep001.rpt" with every figure, the credit in words
// and the security date. It writes no table.
//
// The worksheet shown prints: the one the last Enter in the taxpayer box found (a tax id typed
// there since without Enter changes nothing). It is read again before the print and whenever the
// form is activated, so documents changed meanwhile print with their present figures.
#include "worksheet/frm_planillas.h"

class frmReportes : public frmPlanillas {
    Q_OBJECT
public:
    explicit frmReportes(QWidget* parent = nullptr);

    void Form_Load() override;
    void Form_Activate() override;

    void cmbContrib_KeyPress(int& KeyAscii) override;
    void cmdImprime_Click() override;
    void grdDetalle_DblClick() override {}
    void grdDetalle_HeadClick(int column) override;

    // Shows the worksheet of the taxpayer (its Contribuyentes.No) and, when it has one, computes
    // it: the totals and the credit, then the breakdown (Gogo). Returns the header number.
    QVariant Encuentra(const QString& contribuyente);
    // The breakdown per document type and per fuel of the rows shown.
    void Gogo();
    // The full set of figures the print hands over.
    printing::WorksheetFigures figures() const;

    // Computed values (empty until the first worksheet is computed).
    QVariant TotalFacturas;
    QVariant TotalFormularios;
    QVariant TotalJulio2001;
    QVariant SumaTotalFacturas;
    QVariant CreditoTotal;
    printing::WorksheetFigures breakdown;

    report::ReportControl rptImprime2{QStringLiteral("rptImprime2")};
    report::ReportControl rptImprime3{QStringLiteral("rptImprime3")};

protected:
    void takeNewSupplier() override;

private:
    // Reads the worksheet shown again and recomputes it.
    void reloadShown();
};
