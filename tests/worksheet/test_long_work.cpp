// Work that may take long on a large worksheet shows the hourglass while it runs and gives the
// pointer back afterwards: the load of a worksheet, the header-click sort and a print.
#include "planillas_fixture.h"

#include "platform/report/report_control.h"
#include "platform/system/busy.h"
#include "platform/ui/data_control.h"
#include "platform/ui/mouse_pointer.h"
#include "support/report_presenter.h"

#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest>

using namespace fixture;

class TestLongWork : public QObject {
    Q_OBJECT
private slots:
    void loadAndSortShowTheHourglass()
    {
        Worksheet ws;
        ws.db.exec(QStringLiteral("INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, 4);"
                                  "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                                  "VALUES (1, '%1', '0', 'A', '1', 37500, 1, 10), (1, '%1', '0', 'A', '2', 37501, 1, 20)")
                       .arg(ws.prov1));
        frmPlanillas f;
        f.Load();
        QList<int> pointers;
        connect(f.dtDetalle, &ui::DataControl::refreshed, this, [&] { pointers << ui::mousePointer(); });
        pickTaxpayer(f, ws.nitA);
        QVERIFY(!pointers.isEmpty());
        QCOMPARE(pointers.last(), ui::vbHourglass);
        QCOMPARE(ui::mousePointer(), ui::vbDefault);
        pointers.clear();
        ui::runHandler([&] { f.grdDetalle_HeadClick(6); });
        QCOMPARE(pointers, QList<int> {ui::vbHourglass});
        QCOMPARE(ui::mousePointer(), ui::vbDefault);
        f.Unload();
    }

    void aPrintShowsTheHourglassUntilItsPreview()
    {
        QTemporaryDir dir;
        const QString rpt = dir.filePath(QStringLiteral("r.rpt"));
        QFile file(rpt);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[formulas]\nA = uno\n[body]\n<p>{{A}}</p>\n");
        file.close();
        int during = -1;
        const report::Presenter previous = report::setPresenter(
            [&](const report::ReportControl&, const report::RenderedReport&) { during = ui::mousePointer(); });
        report::ReportControl control;
        control.setReportFileName(rpt);
        QVERIFY(control.start());
        report::setPresenter(previous);
        QCOMPARE(during, ui::vbHourglass);
        QCOMPARE(ui::mousePointer(), ui::vbDefault);
    }

    // An hourglass already shown (a save) stays the caller's to take away.
    void nestedScopesLeaveTheCallersPointer()
    {
        ui::setMousePointer(ui::vbHourglass);
        {
            sys::BusyScope busy;
            QCOMPARE(ui::mousePointer(), ui::vbHourglass);
        }
        QCOMPARE(ui::mousePointer(), ui::vbHourglass);
        ui::setMousePointer(ui::vbDefault);
        {
            sys::BusyScope outer;
            {
                sys::BusyScope inner;
            }
            QCOMPARE(ui::mousePointer(), ui::vbHourglass);
        }
        QCOMPARE(ui::mousePointer(), ui::vbDefault);
    }

    // Between steps of long work the windows get their pending events (repaints, timers), but a
    // window asked to close closes only once the work is done.
    void keepingResponsiveDefersClosing()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QThread::msleep(120);   // the windows repaint at most every tenth of a second
        bool timerRan = false;
        QTimer::singleShot(0, this, [&] { timerRan = true; });
        QCoreApplication::postEvent(window.windowHandle(), new QCloseEvent);   // as the desktop asks
        sys::keepResponsive();
        QVERIFY(timerRan);
        QVERIFY(window.isVisible());
        QTRY_VERIFY(!window.isVisible());   // back in the event loop, the close comes through
    }
};

QTEST_MAIN(TestLongWork)
#include "test_long_work.moc"
