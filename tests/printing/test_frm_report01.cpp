// The statistics form: its list and period label, both prints and the order of their settings,
// the refusals, the keyboard and the menu.
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/ui/db_combo.h"
#include "printing/frm_report01.h"
#include "printing_fixture.h"
#include "support/fit_check.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QString kChoose = QStringLiteral(" Debe seleccionar un contribuyente válido...");
const QString kLabel = QStringLiteral("Período Actual: 01/07/2001 - 30/06/2002");

QStringList listOf(const frmReport01& f)
{
    QStringList out;
    for (int i = 0; i < f.cmbOrganizacion->count(); ++i)
        out << f.cmbOrganizacion->itemText(i);
    return out;
}

QWidget* focused()
{
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
}

} // namespace

class TestFrmReport01 : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<printing_test::Fixture> f_;

    void open(frmReport01& form)
    {
        form.Load();
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }

    QStringList expectedLog(bool byType, const QString& name, const QString& no) const
    {
        const QString db = f_->db.path();
        const QString file = sys::appPath() + (byType ? QStringLiteral("\\rep002.rpt") : QStringLiteral("\\rep004.rpt"));
        const QStringList data{QStringLiteral("DataFiles(0)=") + db, QStringLiteral("DataFiles(1)=") + db,
                               QStringLiteral("Connect=;PWD=MIRVOSK")};
        QStringList log;
        if (byType)
            log << data << QStringLiteral("WindowState=2") << QStringLiteral("ReportFileName=") + file;
        else
            log << QStringLiteral("WindowState=2") << QStringLiteral("ReportFileName=") + file << data;
        log << QStringLiteral("WindowTitle= Estadística de Gastos de: ") + name + QStringLiteral("  ") + kLabel
            << QStringLiteral("Formulas(0)=Titulo = 'Reporte de Gastos de:") + name
                   + QStringLiteral(" del: 01/07/2001 al: 30/06/2002'")
            << QStringLiteral("SelectionFormula={Planilla_Enc.Contribuyente} = ") + no
                   + QStringLiteral(" And {Planilla_Enc.Periodo} = 3")
            << QStringLiteral("SortFields(0)=") << QStringLiteral("Action=0");
        return log;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<printing_test::Fixture>();
        f_->db.exec(QStringLiteral(
            "INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (4, 3, 3);"
            "INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc, Fecha, Gasto, Monto) VALUES "
            "(4, '333', '0', '77', 37200, 11, 42.5);"));
    }
    void cleanup() { f_.reset(); }

    void loadListsTheTaxpayersOfThePeriod()
    {
        frmReport01 form;
        open(form);
        QCOMPARE(form.windowTitle(), QStringLiteral("Reportes Estadísticos..."));
        QCOMPARE(form.lblActual->text(), kLabel);
        QCOMPARE(listOf(form), (QStringList{QStringLiteral("Ana Pérez"), QStringLiteral("Carla O'Neil")}));
        QVERIFY(form.OptAreas->isChecked());
        QVERIFY(!form.OptGrupos->isChecked());
        QCOMPARE(support::boxesTooNarrow(&form), QStringList());
    }

    void prints_data()
    {
        QTest::addColumn<bool>("byType");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("no");
        QTest::addColumn<QString>("shows");
        QTest::newRow("by expense type") << true << "Ana Pérez" << "1" << "Gasolina Superior 1 1,000.00 54.05";
        QTest::newRow("by supplier") << false << "Ana Pérez" << "1" << "222 Librería Central 2 600.00 32.43";
        QTest::newRow("apostrophe in the name") << false << "Carla O'Neil" << "3"
                                                << "333 Farmacia <Norte> 1 42.50 100.00";
    }

    void prints()
    {
        QFETCH(bool, byType);
        QFETCH(QString, name);
        QFETCH(QString, no);
        QFETCH(QString, shows);
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        frmReport01 form;
        open(form);
        form.cmbOrganizacion->setText(name);
        (byType ? form.OptAreas : form.OptGrupos)->setChecked(true);
        form.cmdImprime->click();
        QCOMPARE(form.report.logLines(), expectedLog(byType, name, no));
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.last().control, QStringLiteral("report"));
        QCOMPARE(shown.last().windowState, 2);
        const QString text = shown.last().text.simplified();
        QVERIFY2(text.contains(shows), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Reporte de Gastos de:") + name));
        QCOMPARE(dialogs.calls().size(), 0);
    }

    void refusesWithoutAListedTaxpayer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing chosen") << "";
        QTest::newRow("no worksheet in the period") << "Bruno Díaz";
        QTest::newRow("unknown") << "Nadie";
    }

    void refusesWithoutAListedTaxpayer()
    {
        QFETCH(QString, text);
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(kChoose, ui::vbOK);
        frmReport01 form;
        open(form);
        form.cmbOrganizacion->setText(text);
        form.cmdImprime->setFocus();
        form.cmdImprime->click();
        QCOMPARE(dialogs.calls().first().style, ui::vbInformation);
        QCOMPARE(dialogs.calls().first().title, QStringLiteral(" ZAL..."));
        QCOMPARE(focused(), form.cmbOrganizacion);
        QVERIFY(form.report.log().isEmpty());
        QCOMPARE(shown.count(), 0);
    }

    void aPeriodThatIsNoWholeNumberListsNobody_data()
    {
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("label");
        QTest::newRow("blank") << "" << "Período Actual: < Ninguno >";
        QTest::newRow("text") << "3 Or 1=1" << "Período Actual: < Ninguno >";
        QTest::newRow("decimal") << "3.5" << "Período Actual: < Ninguno >";
        QTest::newRow("not in the table") << "99" << "Período Actual:";
    }

    void aPeriodThatIsNoWholeNumberListsNobody()
    {
        QFETCH(QString, period);
        QFETCH(QString, label);
        Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), period);
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(kChoose, ui::vbOK);
        frmReport01 form;
        open(form);
        QCOMPARE(form.lblActual->text(), label);
        QVERIFY(listOf(form).isEmpty());
        form.cmbOrganizacion->setText(QStringLiteral("Ana Pérez"));
        form.cmdImprime->click();
        QCOMPARE(shown.count(), 0);
        QVERIFY(form.report.log().isEmpty());
    }

    void enterAndAPickMoveToThePrintButton()
    {
        support::ScriptedDialogs dialogs;
        frmReport01 form;
        open(form);
        form.cmbOrganizacion->setFocus();
        QTest::keyClick(form.cmbOrganizacion, Qt::Key_Return);
        QCOMPARE(focused(), form.cmdImprime);
        form.cmbOrganizacion->setFocus();
        QTest::keyClicks(form.cmbOrganizacion, QStringLiteral("Ana"));
        QCOMPARE(form.cmbOrganizacion->Text(), QStringLiteral("Ana"));
        QCOMPARE(focused(), form.cmbOrganizacion);
        form.cmbOrganizacion->setFocus();
        form.cmbOrganizacion_Click();
        QCOMPARE(focused(), form.cmdImprime);
        QVERIFY(form.report.log().isEmpty());
    }

    void menuOpensItAndLocksTheDatabaseEntries()
    {
        support::ScriptedDialogs dialogs;
        MDIMenu menu;
        menu.show();
        menu.mn00501->trigger();
        auto* form = MDIMenu::findForm<frmReport01>();
        QVERIFY(form && form->isLoaded());
        QTRY_VERIFY(!menu.mn00301->isEnabled());
        QVERIFY(!menu.mn00104->isEnabled());
        form->cmdExit->click();
        QVERIFY(!form->isLoaded());
        QVERIFY(menu.mn00301->isEnabled());
        QVERIFY(menu.mn00104->isEnabled());
        QVERIFY(menu.Unload());
    }
};

QTEST_MAIN(TestFrmReport01)
#include "test_frm_report01.moc"
