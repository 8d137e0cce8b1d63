#pragma once
// A small worksheet database and helpers that drive the entry form as the user does.
#include "core/biblio.h"
#include "platform/db/database.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/form.h"
#include "platform/ui/masked_box.h"
#include "support/fake_clipboard.h"
#include "support/support.h"
#include "worksheet/frm_planillas.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

namespace fixture {

// A tax id with its right check character.
inline QString nit(int body)
{
    const QString digits = QString::number(body);
    for (const QChar c : QStringLiteral("0123456789K"))
        if (Biblio::ValidaNit(digits + c))
            return digits + c;
    return digits + QLatin1Char('0');
}

// Taxpayers A (No 1) and B (No 2), suppliers P1 and P2, period 4 (01/07/2002 - 30/06/2003).
struct Worksheet {
    support::TestDatabase db;
    support::TempSettings settings;
    support::FakeClipboard clipboard;
    const QString nitA = nit(1000001);
    const QString nitB = nit(1000002);
    const QString prov1 = nit(5000001);
    const QString prov2 = nit(5000002);

    explicit Worksheet(int period = 4)
    {
        db.exec(QStringLiteral("INSERT INTO Contribuyentes (\"No\", Nit, Nombre, Calle, Casa, Zona, ColoniaB, NPat, NomPat) "
                               "VALUES (1, '%1', 'Ana Pérez', '5a. Calle', '10-20', '1', 'Centro', '999', 'Patrono')")
                    .arg(nitA));
        db.exec(QStringLiteral("INSERT INTO Contribuyentes (\"No\", Nit, Nombre) VALUES (2, '%1', 'Bruno Díaz')").arg(nitB));
        db.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('%1', 'Tienda Uno'), ('%2', 'Gasolinera Dos')")
                    .arg(prov1, prov2));
        Biblio::gBaseDatos = db.path();
        Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QString::number(period));
        Biblio::gPeriodo = QString::number(period);
        Biblio::gPeriodoNo = qint16(period);
        Biblio::gPeriodoDel = period == 3 ? QStringLiteral("01/07/2001") : QStringLiteral("01/07/2002");
        Biblio::gPeriodoAl = period == 3 ? QStringLiteral("30/06/2002") : QStringLiteral("30/06/2003");
        Biblio::gCoeficiente = 0.107142;
        Biblio::gNitProveedor.clear();
        Biblio::gProveedorNuevo = false;
        Biblio::gPlanillaAbierta = false;
    }

    // Rows of Planilla_Det as "Enc|Provee|Tipo|Serie|NoDoc|Monto|Galon", in insertion order.
    QStringList rows() const
    {
        QStringList out;
        db::Database d = db::Database::open(db.path(), Biblio::kConnect);
        db::Recordset rs = d.openRecordset(
            QStringLiteral("SELECT Enc, Provee, Tipo, Serie, NoDoc, Monto, Galon FROM Planilla_Det ORDER BY Secuencia"));
        while (!rs.eof()) {
            QStringList cells;
            for (int i = 0; i < rs.fieldCount(); ++i)
                cells << (rs.field(i).isNull() ? QStringLiteral("null") : rs.field(i).toString());
            out << cells.join(QLatin1Char('|'));
            rs.moveNext();
        }
        return out;
    }

    int headers() const
    {
        db::Database d = db::Database::open(db.path(), Biblio::kConnect);
        db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM Planilla_Enc"));
        return rs.recordCount();
    }
};

inline void enter(const std::function<void(int&)>& handler)
{
    ui::runHandler([&] {
        int k = 13;
        handler(k);
    });
}

inline void pickTaxpayer(frmPlanillas& f, const QString& nit)
{
    ui::runHandler([&] { f.cmbContrib->setText(nit); });
    enter([&](int& k) { f.cmbContrib_KeyPress(k); });
}

inline void pickType(frmPlanillas& f, int code)
{
    ui::runHandler([&] {
        f.cmbTipo->setCurrentIndex(f.cmbTipo->findData(code));
        f.cmbTipo_Click();
    });
}

struct Doc {
    QString provee;
    int tipo = 0;
    QString serie;
    QString noDoc;
    QString fecha;
    QString gasto;      // expense code
    QString cantidad;
    QString unitario;
};

// Fills the boxes of a document in the order of the fields.
inline void fill(frmPlanillas& f, const Doc& d)
{
    ui::runHandler([&] { f.cmbProvee->setText(d.provee); });
    if (!d.provee.isEmpty())
        enter([&](int& k) { f.cmbProvee_KeyPress(k); });
    if (d.tipo >= 0)
        pickType(f, d.tipo);
    ui::runHandler([&] {
        f.txtSerie->setText(d.serie);
        f.txtDoc->setText(d.noDoc);
        f.txtFecha->setText(d.fecha);
        f.cmbGasto->setBoundText(d.gasto);
        f.txtCantidad->setText(d.cantidad);
        f.txtUnitario->setText(d.unitario);
    });
}

inline void save(frmPlanillas& f)
{
    ui::runHandler([&] { f.cmdGrabar_Click(); });
}

inline void remove(frmPlanillas& f)
{
    ui::runHandler([&] { f.cmdBorrar_Click(); });
}

} // namespace fixture
