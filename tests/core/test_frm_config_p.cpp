// The current-period dialog: what it shows on loading, choosing a period, the refusal to close
// without a current period, menu locking and the shutdown of the main window.
#include "core/biblio.h"
#include "core/frm_config_p.h"
#include "core/mdi_menu.h"
#include "platform/system/settings.h"
#include "platform/ui/db_list.h"
#include "platform/ui/dialogs.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>
#include <optional>

namespace {

const QString kApp = QStringLiteral("ZAL EKO");
const QString kSection = QStringLiteral("Configuracion");
const QString kRefusal = QStringLiteral(" Debe seleccionar un período...");
const QString kNothingSelected = QStringLiteral(" Debe seleccionar un periodo válido...");

// A fresh database and settings store, and the shared state as at start-up.
struct Fixture {
    support::TestDatabase db;
    support::TempSettings settings;
    Fixture()
    {
        Biblio::gBaseDatos = db.path();
        Biblio::gPeriodo.clear();
        Biblio::gPeriodoNo = 0;
        Biblio::gPeriodoDel.clear();
        Biblio::gPeriodoAl.clear();
        Biblio::gCoeficiente = 0;
    }
};

void storePeriod(const std::optional<QString>& value)
{
    if (value)
        sys::saveSetting(kApp, kSection, QStringLiteral("DefaultPer"), *value);
}

QString storedPeriod()
{
    return sys::getSetting(kApp, kSection, QStringLiteral("DefaultPer"));
}

// Each message box as "prompt | style | title", to compare all three at once.
QStringList messages(const support::ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const auto& call : dialogs.calls())
        out << QStringLiteral("%1 | %2 | %3").arg(call.prompt).arg(call.style).arg(call.title);
    return out;
}

QString info(const QString& prompt)
{
    return QStringLiteral("%1 | %2 |  ZAL").arg(prompt).arg(ui::vbInformation);
}

bool showActive(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

void doubleClickRow(ui::DBList* list, int row)
{
    // As a user does it: the first click of the double click presses the row.
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestFrmConfigP : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheStoredPeriod_data();
    void loadShowsTheStoredPeriod();
    void choosingAPeriodStoresLoadsAndCloses_data();
    void choosingAPeriodStoresLoadsAndCloses();
    void choosingWithoutSelectionStoresNothing();
    void closingNeedsACurrentPeriod_data();
    void closingNeedsACurrentPeriod();
    void reloadStartsAfresh();
    void unreadableDatabaseDoesNotTrapTheUser();
    void menuEntriesLockedWhileOpen();
    void shutdownWithTheDialogOpen_data();
    void shutdownWithTheDialogOpen();
};

void TestFrmConfigP::loadShowsTheStoredPeriod_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("selected");
    QTest::newRow("none stored") << std::optional<QString>() << "Período Actual: < Ninguno >" << "";
    QTest::newRow("blank") << std::optional<QString>(QStringLiteral("   ")) << "Período Actual: < Ninguno >" << "";
    QTest::newRow("not numeric") << std::optional<QString>(QStringLiteral("tres")) << "Período Actual: < Ninguno >" << "";
    QTest::newRow("known") << std::optional<QString>(QStringLiteral("3")) << "Período Actual: 01/07/2001 - 30/06/2002" << "3";
    QTest::newRow("blanks around") << std::optional<QString>(QStringLiteral(" 28 ")) << "Período Actual: 01/07/2026 - 30/06/2027"
                                   << "28";
    QTest::newRow("no such row") << std::optional<QString>(QStringLiteral("99")) << "Período Actual:" << "";
    QTest::newRow("numeric, not a number of a row") << std::optional<QString>(QStringLiteral("1,234")) << "Período Actual:"
                                                    << "";
    QTest::newRow("decimal") << std::optional<QString>(QStringLiteral("3.5")) << "Período Actual:" << "";
}

void TestFrmConfigP::loadShowsTheStoredPeriod()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(QString, label);
    QFETCH(QString, selected);
    Fixture fx;
    storePeriod(stored);
    support::ScriptedDialogs dialogs;
    frmConfigP f;
    f.Load();
    QVERIFY(f.isLoaded());
    QCOMPARE(f.windowTitle(), QStringLiteral(" Período Predeterminado..."));
    QCOMPARE(Biblio::gPeriodo, stored.value_or(QString()));
    QCOMPARE(f.lblActual->text(), label);
    QCOMPARE(f.lstPeriodos->BoundText(), selected);
    QCOMPARE(f.lstPeriodos->count(), 28);
    QCOMPARE(f.lstPeriodos->item(0)->text(), QStringLiteral("01/07/1999 - 30/06/2000"));
    // Loading loads no period: that is CargaPeriodo's work after a choice (or start-up's).
    QCOMPARE(int(Biblio::gPeriodoNo), 0);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmConfigP::choosingAPeriodStoresLoadsAndCloses_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("first choice, button") << std::optional<QString>() << false;
    QTest::newRow("first choice, double click") << std::optional<QString>() << true;
    QTest::newRow("change of period, button") << std::optional<QString>(QStringLiteral("3")) << false;
    QTest::newRow("change of period, double click") << std::optional<QString>(QStringLiteral("3")) << true;
}

void TestFrmConfigP::choosingAPeriodStoresLoadsAndCloses()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(bool, doubleClick);
    Fixture fx;
    storePeriod(stored);
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral(" Periodo Seleccionado: 01/07/2003 - 30/06/2004"), ui::vbOK);
    frmConfigP f;
    f.Load();
    QVERIFY(showActive(f));
    if (doubleClick) {
        doubleClickRow(f.lstPeriodos, 4);
    } else {
        f.lstPeriodos->setCurrentRow(4);
        QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    }
    QCOMPARE(messages(dialogs), QStringList{info(QStringLiteral(" Periodo Seleccionado: 01/07/2003 - 30/06/2004"))});
    QCOMPARE(storedPeriod(), QStringLiteral("5"));
    QCOMPARE(Biblio::gPeriodo, QStringLiteral("5"));
    QCOMPARE(int(Biblio::gPeriodoNo), 5);
    QCOMPARE(Biblio::gPeriodoDel, QStringLiteral("01/07/2003"));
    QCOMPARE(Biblio::gPeriodoAl, QStringLiteral("30/06/2004"));
    QCOMPARE(Biblio::gCoeficiente, 0.107142);
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual: 01/07/2003 - 30/06/2004"));
    QVERIFY(!f.isLoaded());
    QVERIFY(!f.isVisible());
}

void TestFrmConfigP::choosingWithoutSelectionStoresNothing()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kNothingSelected, ui::vbOK);
    frmConfigP f;
    f.Load();
    QVERIFY(showActive(f));
    f.cmdGrabar->setFocus();
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(kNothingSelected)});
    QCOMPARE(storedPeriod(), QString());
    QCOMPARE(Biblio::gPeriodo, QString());
    QVERIFY(f.isLoaded());
    QCOMPARE(QApplication::focusWidget(), f.lstPeriodos);
}

void TestFrmConfigP::closingNeedsACurrentPeriod_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<bool>("byFrame");
    QTest::addColumn<bool>("refused");
    QTest::newRow("none, Salir") << std::optional<QString>() << false << true;
    QTest::newRow("none, window frame") << std::optional<QString>() << true << true;
    QTest::newRow("blank, Salir") << std::optional<QString>(QStringLiteral("  ")) << false << true;
    QTest::newRow("not numeric, Salir") << std::optional<QString>(QStringLiteral("tres")) << false << false;
    QTest::newRow("current, Salir") << std::optional<QString>(QStringLiteral("3")) << false << false;
    QTest::newRow("current, window frame") << std::optional<QString>(QStringLiteral("3")) << true << false;
}

void TestFrmConfigP::closingNeedsACurrentPeriod()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(bool, byFrame);
    QFETCH(bool, refused);
    Fixture fx;
    storePeriod(stored);
    support::ScriptedDialogs dialogs;
    if (refused)
        dialogs.expectMsgBox(kRefusal, ui::vbOK);
    frmConfigP f;
    f.Load();
    QVERIFY(showActive(f));
    if (byFrame)
        f.close();
    else
        QTest::mouseClick(f.cmdSalir, Qt::LeftButton);
    QCOMPARE(messages(dialogs), refused ? QStringList{info(kRefusal)} : QStringList());
    QCOMPARE(f.isLoaded(), refused);
    QCOMPARE(f.isVisible(), refused);
    QCOMPARE(storedPeriod(), stored.value_or(QString()));
    if (!refused)
        return;
    // Once a period is chosen the dialog closes.
    dialogs.expectMsgBox(QStringLiteral(" Periodo Seleccionado: 01/07/1999 - 30/06/2000"), ui::vbOK);
    doubleClickRow(f.lstPeriodos, 0);
    QVERIFY(!f.isLoaded());
    QCOMPARE(storedPeriod(), QStringLiteral("1"));
}

void TestFrmConfigP::reloadStartsAfresh()
{
    // The form object outlives its unloading; a new load shows the state of the settings again.
    Fixture fx;
    storePeriod(QStringLiteral("3"));
    support::ScriptedDialogs dialogs;
    frmConfigP f;
    f.Load();
    QVERIFY(f.Unload());
    storePeriod(QStringLiteral("99"));
    f.Load();
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual:"));
    QCOMPARE(f.lstPeriodos->BoundText(), QString());
    QCOMPARE(Biblio::gPeriodo, QStringLiteral("99"));
}

void TestFrmConfigP::unreadableDatabaseDoesNotTrapTheUser()
{
    // A database that cannot be opened offers no period either: the engine's error is shown,
    // and the dialog closes without a choice even after a load that had listed the periods.
    Fixture fx;
    storePeriod(QStringLiteral("3"));
    support::ScriptedDialogs dialogs;
    frmConfigP f;
    f.Load();
    QCOMPARE(f.lstPeriodos->count(), 28);
    QVERIFY(f.Unload());
    Biblio::gPeriodo.clear();
    QVERIFY(QFile::remove(fx.db.path()));
    dialogs.expectMsgBox(ui::vbOK);
    f.Load();
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(ui::iconOf(dialogs.calls().at(0).style), ui::vbCritical);
    QCOMPARE(f.lstPeriodos->count(), 0);
    QVERIFY(f.Unload());
    QCOMPARE(dialogs.calls().size(), 1);
}

void TestFrmConfigP::menuEntriesLockedWhileOpen()
{
    Fixture fx;
    storePeriod(QStringLiteral("3"));
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    menu.mn00301->trigger();
    auto* f = MDIMenu::findForm<frmConfigP>();
    QVERIFY(f);
    QVERIFY(f->isLoaded());
    // A child window of the main window, shown by loading it, not modal.
    QVERIFY(f->subWindow());
    QCOMPARE(f->subWindow()->mdiArea(), menu.mdiArea);
    QVERIFY(f->subWindow()->isVisible());
    QVERIFY(!f->isModal());
    QVERIFY(!menu.mn00201->isEnabled());
    QVERIFY(!menu.mn00203->isEnabled());
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(menu.mn00301->isEnabled());
    QVERIFY(menu.mn00202->isEnabled());
    QTest::mouseClick(f->cmdSalir, Qt::LeftButton);
    QVERIFY(!f->isLoaded());
    QVERIFY(menu.mn00201->isEnabled());
    QVERIFY(menu.mn00203->isEnabled());
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmConfigP::shutdownWithTheDialogOpen_data()
{
    QTest::addColumn<bool>("emptyTable");
    QTest::addColumn<bool>("bySalida");
    // With no period to choose, nothing may hold the program open.
    QTest::newRow("no periods, Salida") << true << true;
    QTest::newRow("no periods, main window frame") << true << false;
    // With periods to choose and none current, the dialog keeps its refusal.
    QTest::newRow("periods, Salida") << false << true;
    QTest::newRow("periods, main window frame") << false << false;
}

void TestFrmConfigP::shutdownWithTheDialogOpen()
{
    QFETCH(bool, emptyTable);
    QFETCH(bool, bySalida);
    Fixture fx;
    if (emptyTable)
        fx.db.exec(QStringLiteral("DELETE FROM Periodos;"));
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    menu.mn00301->trigger();
    auto* f = MDIMenu::findForm<frmConfigP>();
    QVERIFY(f && f->isLoaded());
    QCOMPARE(f->lstPeriodos->count(), emptyTable ? 0 : 28);
    QCOMPARE(f->lblActual->text(), QStringLiteral("Período Actual: < Ninguno >"));
    if (!emptyTable)
        dialogs.expectMsgBox(kRefusal, ui::vbOK);
    if (bySalida)
        menu.mn00199->trigger();
    else
        menu.close();
    QCOMPARE(messages(dialogs), emptyTable ? QStringList() : QStringList{info(kRefusal)});
    QCOMPARE(menu.isUnloaded(), emptyTable);
    QCOMPARE(f->isLoaded(), !emptyTable);
    QCOMPARE(menu.isVisible(), !emptyTable);
    QCOMPARE(storedPeriod(), QString());
    if (emptyTable) {
        // The entries the dialog had locked are free again.
        QVERIFY(menu.mn00201->isEnabled());
        QVERIFY(menu.mn00104->isEnabled());
    }
}

QTEST_MAIN(TestFrmConfigP)
#include "test_frm_config_p.moc"
