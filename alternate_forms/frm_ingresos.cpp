#include "alternate_forms/frm_ingresos.h"
#include "ui_frm_ingresos.h"

#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/db_combo.h"
#include "worksheet/worksheet_print.h"

#include <QLineEdit>
#include <QPushButton>

using namespace worksheet;

frmIngresos::frmIngresos(QWidget* parent) : frmPlanillas(Variant::olderForm(), parent)
{
    Ui::frmIngresos().setupUi(this);
    build();
    finish();
}

frmIngresos::frmIngresos(const Variant& variant, QWidget* parent) : frmPlanillas(variant, parent) {}

void frmIngresos::finish()
{
    cmdImprime->setVisible(true);
}

void frmIngresos::cmdImprime_Click()
{
    // The entry form's print with the credit in words in slot 0.
    printing::WorksheetPrint print = worksheetPrint();
    print.letras = printing::letrasOf(credit(variant(), sums, Biblio::gCoeficiente));
    // "Q. " is how the box shows an amount; the page gets the amount alone.
    if (!variant().totalPrefix.isEmpty() && print.credit.startsWith(variant().totalPrefix))
        print.credit = print.credit.mid(variant().totalPrefix.size());
    printShown(print);
}
