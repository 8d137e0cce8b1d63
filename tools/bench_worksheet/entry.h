#pragma once
// The entry form driven as the user saves one document: the supplier confirmed with Enter, then
// an invoice with series A, its number, a date, the first expense type, the amount, and Grabar.
#include "platform/ui/db_combo.h"
#include "platform/ui/form.h"
#include "platform/ui/masked_box.h"
#include "worksheet/frm_planillas.h"

#include <QComboBox>
#include <QLineEdit>

namespace bench {

inline void saveInvoice(frmPlanillas& f, const QString& provee, const QString& noDoc, int amount)
{
    ui::runHandler([&] { f.cmbProvee->setText(provee); });
    ui::runHandler([&] {
        int key = 13;
        f.cmbProvee_KeyPress(key);
    });
    ui::runHandler([&] {
        f.cmbTipo->setCurrentIndex(0);
        f.cmbTipo_Click();
        f.txtSerie->setText(QStringLiteral("A"));
        f.txtDoc->setText(noDoc);
        f.txtFecha->setText(QStringLiteral("15/01/2002"));
        f.cmbGasto->setBoundText(QStringLiteral("1"));
        f.txtCantidad->setText(QString::number(amount) + QStringLiteral(".00"));
        f.cmdGrabar_Click();
    });
}

} // namespace bench
