// The data grid: rows from its data control, the chosen row as the current record.
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"
#include "support/support.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

class TestDbGrid : public QObject {
    Q_OBJECT
private slots:
    void rowsColumnsAndCurrentRecord();
    void widthSetAfterAddColumnHolds();
    void highlightFollowsTheRecordset();
    void doubleClickReadsTheRowClicked();
    void captionLeavesTheToolTip();
    void numbersStandRight_data();
    void numbersStandRight();
};

namespace {

// Points a data control at the test database and reads the record source.
void bindTo(ui::DataControl* dt, const support::TestDatabase& t, const QString& source)
{
    dt->setDatabaseName(t.path());
    dt->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dt->setRecordSource(source);
    dt->Refresh();
}

// A grid of five suppliers on its data control, in a shown form.
struct FiveRows {
    support::TestDatabase t;
    ui::Form form;
    ui::DataControl* dt = new ui::DataControl(&form);
    ui::DBGrid* grid = new ui::DBGrid(&form);
    FiveRows()
    {
        t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('1', 'A'), ('2', 'B'), ('3', 'C'), "
                              "('4', 'D'), ('5', 'E')"));
        auto* layout = new QVBoxLayout(&form);
        layout->addWidget(grid);
        grid->addColumn(QStringLiteral("Nit"), QStringLiteral("Nit"));
        grid->setDataSource(dt);
        bindTo(dt, t, QStringLiteral("SELECT * FROM Proveedores ORDER BY Nit"));
    }
    QString current() const { return dt->Recordset().field(QStringLiteral("Nit")).toString(); }
    // The highlight once the program is idle again.
    int highlighted() const
    {
        QCoreApplication::processEvents();
        return grid->currentRow();
    }
};

} // namespace

void TestDbGrid::highlightFollowsTheRecordset()
{
    FiveRows g;
    QCOMPARE(g.highlighted(), 0);   // a refresh stands on the first record

    db::Recordset rs = g.dt->Recordset();
    rs.findFirst(QStringLiteral("[Nit] = '3'"));
    QCOMPARE(g.highlighted(), 2);
    rs.moveLast();
    QCOMPARE(g.highlighted(), 4);
    // A walk over every record moves the highlight to where the walk ends.
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
    }
    QCOMPARE(g.highlighted(), -1);   // past the last record nothing is highlighted
    rs.moveFirst();
    rs.moveNext();
    QCOMPARE(g.highlighted(), 1);

    // A requery reads the rows anew (one more) and stands on the first.
    g.t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('0', 'Z')"));
    rs.requery();
    QCOMPARE(g.grid->rowCount(), 6);
    QCOMPARE(g.highlighted(), 0);
    QCOMPARE(g.grid->text(0, 0), QStringLiteral("0"));

    // A new order (a sort) on the same control.
    g.dt->setRecordSource(QStringLiteral("SELECT * FROM Proveedores ORDER BY Nit DESC"));
    g.dt->RefreshRecordset();
    QCOMPARE(g.grid->text(0, 0), QStringLiteral("5"));
    g.dt->Recordset().findFirst(QStringLiteral("[Nit] = '4'"));
    QCOMPARE(g.highlighted(), 1);

    // The other way: choosing a row by the keyboard moves the record set.
    g.form.show();
    g.grid->setFocus();
    QTest::keyClick(g.grid, Qt::Key_Down);
    QCOMPARE(g.current(), QStringLiteral("3"));
    QCOMPARE(g.highlighted(), 2);
    // The user takes the highlight off the row (Ctrl+Space); a lookup of the record the set
    // still stands on highlights its row again.
    QTest::keyClick(g.grid, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(g.highlighted(), -1);
    g.dt->Recordset().findFirst(QStringLiteral("[Nit] = '3'"));
    QCOMPARE(g.highlighted(), 2);

    // A deleted record leaves the grid.
    db::Recordset now = g.dt->Recordset();
    now.remove();
    QCOMPARE(g.grid->rowCount(), 5);
    QCOMPARE(g.highlighted(), -1);
}

void TestDbGrid::doubleClickReadsTheRowClicked()
{
    FiveRows g;
    QStringList chosen;
    g.form.onDblClick(g.grid, [&] { chosen << g.current(); });
    g.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g.form));

    // The user clicks row 0; the program then finds another record (a lookup by its key), and the
    // user double-clicks row 0 again: the handler reads row 0, not the record found.
    const QPoint row0 = g.grid->cellRect(0, 0).center();
    QTest::mouseClick(g.grid->viewport(), Qt::LeftButton, {}, row0);
    QCOMPARE(g.current(), QStringLiteral("1"));
    g.dt->Recordset().findFirst(QStringLiteral("[Nit] = '4'"));
    QCOMPARE(g.highlighted(), 3);
    QTest::mouseDClick(g.grid->viewport(), Qt::LeftButton, {}, row0);
    QCOMPARE(chosen, QStringList{QStringLiteral("1")});

    // Even when the double click comes before the program is idle again.
    QTest::qWait(QApplication::doubleClickInterval() + 50);   // a new click, not a third one
    g.dt->Recordset().findFirst(QStringLiteral("[Nit] = '5'"));
    const QPoint row1 = g.grid->cellRect(1, 0).center();
    QTest::mouseClick(g.grid->viewport(), Qt::LeftButton, {}, row1);   // a double click's first press
    QTest::mouseDClick(g.grid->viewport(), Qt::LeftButton, {}, row1);
    QCOMPARE(chosen.last(), QStringLiteral("2"));
    QCOMPARE(g.highlighted(), 1);
}

void TestDbGrid::captionLeavesTheToolTip()
{
    FiveRows g;
    g.grid->setToolTip(QStringLiteral("Doble click para seleccionar..."));
    g.grid->setCaption(QStringLiteral("LISTADO DE DOCUMENTOS..."));
    QCOMPARE(g.grid->toolTip(), QStringLiteral("Doble click para seleccionar..."));
    QCOMPARE(g.grid->Caption(), QStringLiteral("LISTADO DE DOCUMENTOS..."));
}

void TestDbGrid::rowsColumnsAndCurrentRecord()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('19', 'Uno');"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('124', 'Dos');"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('6K', NULL);"
                          "INSERT INTO Planilla_Det (Enc, Monto, Fecha) VALUES (1, 1234.5, 37073);"));
    ui::Form form;
    auto* layout = new QVBoxLayout(&form);
    auto* dt = new ui::DataControl(&form);
    auto* grid = new ui::DBGrid(&form);
    layout->addWidget(grid);
    layout->addWidget(dt);
    grid->addColumn(QStringLiteral("Nit"), QStringLiteral("Nit"));
    grid->addColumn(QStringLiteral("Nombre"), QStringLiteral("Nombre"));
    grid->setCaption(QStringLiteral("LISTADO DE PROVEEDORES"));
    grid->setDataSource(dt);
    bindTo(dt, t, QStringLiteral("SELECT * FROM Proveedores ORDER BY Nombre"));

    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->headerText(1), QStringLiteral("Nombre"));
    QCOMPARE(grid->text(0, 1), QString());   // Null sorts first and shows empty
    QCOMPARE(grid->text(1, 0), QStringLiteral("124"));
    QCOMPARE(dt->Recordset().field(QStringLiteral("Nit")).toString(), QStringLiteral("6K"));   // refresh: first row

    QString chosen;
    form.onDblClick(grid, [&] { chosen = dt->Recordset().field(QStringLiteral("Nit")).toString(); });
    form.show();
    const QRect cell = grid->visualRect(grid->model()->index(2, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(chosen, QStringLiteral("19"));

    QSignalSpy heads(grid, &ui::DBGrid::headClick);
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid->horizontalHeader()->sectionViewportPosition(1) + 5, 5));
    QCOMPARE(heads.count(), 1);
    QCOMPARE(heads.first().first().toInt(), 1);

    // A refresh after a change shows the change; the grid keeps no stale rows.
    t.exec(QStringLiteral("DELETE FROM Proveedores WHERE Nit = '124'"));
    dt->Refresh();
    QCOMPARE(grid->rowCount(), 2);

    // Without columns every field shows; a format pattern applies to its column.
    auto* dt2 = new ui::DataControl(&form);
    auto* grid2 = new ui::DBGrid(&form);
    grid2->setDataSource(dt2);
    bindTo(dt2, t, QStringLiteral("SELECT Enc, Monto, Fecha FROM Planilla_Det"));
    QCOMPARE(grid2->columnCount(), 3);
    QCOMPARE(grid2->text(0, 2), QStringLiteral("01/07/2001"));
    grid2->addColumn(QStringLiteral("Monto"), QStringLiteral("Monto"), QStringLiteral("###,###,##0.00"));
    dt2->Refresh();
    QCOMPARE(grid2->text(0, 0), QStringLiteral("1,234.50"));
}

void TestDbGrid::widthSetAfterAddColumnHolds()
{
    // A form that sizes its columns itself sets the widths right after adding the columns,
    // before any record set is bound; the widths must survive the later re-reads.
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('19', 'Uno')"));
    ui::Form form;
    auto* dt = new ui::DataControl(&form);
    auto* grid = new ui::DBGrid(&form);
    grid->setDataSource(dt);
    grid->addColumn(QStringLiteral("Nit"), QStringLiteral("Nit"));
    grid->addColumn(QStringLiteral("Nombre"), QStringLiteral("Nombre"));
    grid->setAutoResize(false);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->headerText(0), QStringLiteral("Nit"));
    grid->setColumnWidth(0, 123);
    QCOMPARE(grid->columnWidth(0), 123);

    bindTo(dt, t, QStringLiteral("SELECT * FROM Proveedores"));
    dt->Refresh();
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->columnWidth(0), 123);

    grid->clearColumns();
    QCOMPARE(grid->columnCount(), 0);
}

void TestDbGrid::numbersStandRight_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("right");
    QTest::newRow("text") << 0 << false;
    QTest::newRow("whole number field") << 1 << true;
    QTest::newRow("amount") << 2 << true;
    QTest::newRow("date") << 3 << false;
    QTest::newRow("whole number past 32 bits") << 4 << true;
    QTest::newRow("formatted amount") << 5 << true;
}

void TestDbGrid::numbersStandRight()
{
    QFETCH(int, column);
    QFETCH(bool, right);
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Monto, Fecha) VALUES (7, '19', 1234.5, 37073)"));
    ui::Form form;
    auto* dt = new ui::DataControl(&form);
    auto* grid = new ui::DBGrid(&form);
    grid->addColumn(QStringLiteral("Nit"), QStringLiteral("Provee"));
    grid->addColumn(QStringLiteral("Planilla"), QStringLiteral("Enc"));
    grid->addColumn(QStringLiteral("Monto"), QStringLiteral("Monto"));
    grid->addColumn(QStringLiteral("Fecha"), QStringLiteral("Fecha"));
    grid->addColumn(QStringLiteral("Grande"), QStringLiteral("Grande"));
    grid->addColumn(QStringLiteral("Monto"), QStringLiteral("Monto"), QStringLiteral("###,###,##0.00"));
    grid->setDataSource(dt);
    bindTo(dt, t, QStringLiteral("SELECT Provee, Enc, Monto, Fecha, Enc * 1000000000 AS Grande FROM Planilla_Det"));
    QCOMPARE(grid->rowCount(), 1);

    const QVariant alignment = grid->model()->data(grid->model()->index(0, column), Qt::TextAlignmentRole);
    const bool standsRight = alignment.isValid() && (alignment.toInt() & Qt::AlignRight);
    QCOMPARE(standsRight, right);
}

QTEST_MAIN(TestDbGrid)
#include "test_db_grid.moc"
