#include "worksheet/worksheet_form.h"

#include "core/biblio.h"
#include "platform/db/database.h"
#include "platform/system/busy.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/masked_box.h"
#include "worksheet/store.h"

#include <QLineEdit>
#include <QValidator>

namespace worksheet {

namespace {
class NoControlCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (const QChar c : input)
            if (c.category() == QChar::Other_Control)
                return Invalid;
        return Acceptable;
    }
};
} // namespace

void refuseControlCharacters(QWidget* form)
{
    auto* validator = new NoControlCharacters(form);
    for (QLineEdit* box : form->findChildren<QLineEdit*>())
        if (!box->validator())
            box->setValidator(validator);
}

WorksheetForm::WorksheetForm(const Variant& variant, QWidget* parent) : ui::Form(parent), variant_(variant) {}

void WorksheetForm::setUpWorksheet(const WorksheetControls& controls)
{
    c_ = controls;
    if (c_.txtTotfac)
        onChange(c_.txtTotfac, [this] { txtTotfac_Change(); });
    if (c_.grdDetalle)
        connect(c_.grdDetalle, &ui::DBGrid::headClick, this,
                [this](int column) { ui::runHandler([&] { grdDetalle_HeadClick(column); }); });
}

void WorksheetForm::setDetalle(const QString& source)
{
    if (!c_.dtDetalle)
        return;
    c_.dtDetalle->setRecordSource(source);
    SqlDetalle = source;
    c_.dtDetalle->RefreshRecordset();
}

void WorksheetForm::forgetWorksheet()
{
    headerNo_ = QVariant();
    loadedTaxpayer_.clear();
    setDetalle(detailQuery(variant(), QVariant()));
    if (c_.txtTotfac)
        c_.txtTotfac->setText(shownAmount(0));
    if (c_.txtEKO)
        c_.txtEKO->setText(shownAmount(0));
}

QVariant WorksheetForm::Encuentra(const QString& contribuyente)
{
    sys::BusyScope busy;   // a worksheet of thousands of documents takes a moment
    bool found = false;
    if (c_.dtEnc && !contribuyente.isEmpty() && !Biblio::gPeriodo.isEmpty()) {
        db::Recordset rs = c_.dtEnc->Recordset();
        if (rs.isOpen()) {
            rs.requery();
            found = findHeader(rs, contribuyente, Biblio::gPeriodo);
            if (found)
                headerNo_ = rs.field(QStringLiteral("No"));
        }
    }
    if (!found) {
        forgetWorksheet();
    } else {
        // The record set has just been read: sum it without reading it again.
        setDetalle(detailQuery(variant(), headerNo_));
        showSums();
    }
    // Without a current period there is no worksheet to write to: save and delete refuse.
    loadedTaxpayer_ = Biblio::gPeriodo.isEmpty() ? QString() : contribuyente;
    return headerNo_;
}

void WorksheetForm::Gogo(bool)
{
    if (c_.dtDetalle) {
        try {
            db::Recordset rs = c_.dtDetalle->Recordset();
            if (rs.isOpen())
                rs.requery();
            c_.dtDetalle->UpdateControls();
        } catch (const db::DbError&) {
        }
    }
    showSums();
}

void WorksheetForm::showSums()
{
    sums = CreditSums();
    if (c_.dtDetalle) {
        try {
            db::Recordset rs = c_.dtDetalle->Recordset();
            if (rs.isOpen()) {
                sums = sumRecordset(variant_, rs);
                if (!(rs.eof() && rs.bof()))
                    rs.moveFirst();
            }
        } catch (const db::DbError&) {
        }
    }
    if (c_.txtTotfac) {
        if (c_.txtEKO)
            c_.txtEKO->setText(QString());
        c_.txtTotfac->setText(QString());
        c_.txtTotfac->setText(shownAmount(sums.total()));
    }
}

void WorksheetForm::txtTotfac_Change()
{
    if (!c_.txtEKO || !c_.txtTotfac)
        return;
    if (c_.txtTotfac->text().trimmed().isEmpty()) {
        c_.txtEKO->setText(shownAmount(0));
        return;
    }
    c_.txtEKO->setText(shownAmount(credit(variant_, sums, Biblio::gCoeficiente)));
}

QString WorksheetForm::shownAmount(double value) const
{
    return variant_.totalPrefix + formatAmount(value);
}

void WorksheetForm::clearDate()
{
    if (!c_.txtFecha)
        return;
    const QString mask = c_.txtFecha->Mask().isEmpty() ? QStringLiteral("##/##/####") : c_.txtFecha->Mask();
    c_.txtFecha->setMask(QString());
    c_.txtFecha->setText(QString());
    c_.txtFecha->setMask(mask);
}

void WorksheetForm::showFuel(bool visible)
{
    for (QWidget* w : c_.fuelControls)
        w->setVisible(visible);
}

void WorksheetForm::LimpiaDet(int level)
{
    if (level < 0 || level > 4)
        return;
    if (level == 0 && c_.cmbProvee && !c_.cmbProvee->Text().isEmpty()) {
        LimpiaDet(1);
        SetFocus(c_.cmbProvee);
        return;
    }
    const ClearPlan p = clearPlan(level);
    if (p.taxpayer) {
        if (c_.cmbContrib)
            c_.cmbContrib->setBoundText(QString());
        for (QLineEdit* box : c_.taxpayerBoxes)
            box->clear();
    }
    if (p.supplier) {
        if (c_.cmbProvee)
            c_.cmbProvee->setText(QString());
        if (c_.cmbNProvee)
            c_.cmbNProvee->setBoundText(QString());
    }
    if (p.date)
        clearDate();
    if (p.expense && c_.cmbGasto)
        c_.cmbGasto->setBoundText(QString());
    if (p.document) {
        if (c_.txtSerie)
            c_.txtSerie->clear();
        if (c_.txtDoc)
            c_.txtDoc->clear();
    }
    if (p.amounts) {
        for (ui::MaskedBox* box : {c_.txtCantidad, c_.txtUnitario, c_.txtCalculos})
            if (box)
                box->setText(QString());
    }
    if (p.hideFuel)
        showFuel(false);
    if (p.emptyWorksheet) {
        forgetWorksheet();
        fullClearFocus();
    }
}

void WorksheetForm::grdDetalle_HeadClick(int column)
{
    sortDetalle(column, worksheet::gridFields(), 5, 3);
}

void WorksheetForm::sortDetalle(int column, const QStringList& fields, int inert, int type)
{
    if (!c_.dtDetalle)
        return;
    sys::BusyScope busy;
    try {
        if (const auto source = sortedSource(SqlDetalle, column, UltimaColumna, fields, inert, type)) {
            c_.dtDetalle->setRecordSource(*source);
            c_.dtDetalle->RefreshRecordset();
        } else if (c_.grdDetalle) {
            c_.grdDetalle->ReBind();
        }
    } catch (const db::DbError&) {
    }
}

} // namespace worksheet
