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
};

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
    dt->setDatabaseName(t.path());
    dt->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dt->setRecordSource(QStringLiteral("SELECT * FROM Proveedores ORDER BY Nombre"));
    dt->Refresh();

    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Nombre"));
    QCOMPARE(grid->item(0, 1)->text(), QString());   // Null sorts first and shows empty
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("124"));
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
    dt2->setDatabaseName(t.path());
    dt2->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dt2->setRecordSource(QStringLiteral("SELECT Enc, Monto, Fecha FROM Planilla_Det"));
    dt2->Refresh();
    QCOMPARE(grid2->columnCount(), 3);
    QCOMPARE(grid2->item(0, 2)->text(), QStringLiteral("01/07/2001"));
    grid2->addColumn(QStringLiteral("Monto"), QStringLiteral("Monto"), QStringLiteral("###,###,##0.00"));
    dt2->Refresh();
    QCOMPARE(grid2->item(0, 0)->text(), QStringLiteral("1,234.50"));
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
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Nit"));
    grid->setColumnWidth(0, 123);
    QCOMPARE(grid->columnWidth(0), 123);

    dt->setDatabaseName(t.path());
    dt->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dt->setRecordSource(QStringLiteral("SELECT * FROM Proveedores"));
    dt->Refresh();
    dt->Refresh();
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->columnWidth(0), 123);

    grid->clearColumns();
    QCOMPARE(grid->columnCount(), 0);
}

QTEST_MAIN(TestDbGrid)
#include "test_db_grid.moc"
