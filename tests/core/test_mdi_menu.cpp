// The main window: its menus, the one-instance form registry, menu locking as child forms do it,
// shutdown through "&Salida" and the frame, the stretched backdrop and the online help.
#include "core/biblio.h"
#include "core/context_ids.h"
#include "core/frm_config_base.h"
#include "core/frm_config_p.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/system/settings.h"
#include "platform/ui/dialogs.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTextBrowser>
#include <QtTest>
// help.h needs the complete widget types for its inline accessors.
#include "platform/system/help.h"

namespace {

using Entry = QAction* MDIMenu::*;

// A child form standing in for the program's forms: it disables its entries when it becomes the
// active form and enables them again when it unloads; it may refuse to unload.
class LockingForm : public ui::Form {
public:
    LockingForm() { setMdiChild(true); resize(240, 160); }
    void Form_Load() override { ++loads; }
    void Form_Activate() override
    {
        for (Entry e : entries)
            (MDIMenu::instance()->*e)->setEnabled(false);
    }
    void Form_Unload(int& Cancel) override
    {
        if (log)
            *log << objectName() + QStringLiteral(" unload");
        Cancel = refuse;
        if (Cancel == 0) {
            for (Entry e : entries)
                (MDIMenu::instance()->*e)->setEnabled(true);
        }
    }
    QList<Entry> entries;
    QStringList* log = nullptr;
    int loads = 0;
    int refuse = 0;
};

// Distinct classes, so that the registry keeps one instance of each.
class EntryLikeForm : public LockingForm {};
class CatalogueLikeForm : public LockingForm {};
class ExportLikeForm : public LockingForm {};

bool showActive(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TestMdiMenu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menusAsTheTable();
    void changeOfNitIsGreyedAndDoesNothing();
    void oneInstancePerForm();
    void menuLockingAsChildFormsDoIt();
    void periodAndDatabaseEntries();
    void salidaUnloadsEveryChild();
    void refusingChildStopsShutdown();
    void closeBoxShutsDownToo();
    void backdropFollowsTheClientArea();
    void childLargerThanTheClientAreaScrolls();
    void helpFilePath_data();
    void helpFilePath();
    void helpOpensAndClosesWithTheWindow();

private:
    support::TempSettings* settings_ = nullptr;
};

void TestMdiMenu::init()
{
    settings_ = new support::TempSettings;
}

void TestMdiMenu::cleanup()
{
    delete settings_;
    settings_ = nullptr;
    sys::setAppPath(QString());
    sys::HelpViewer::instance().close();
    QVERIFY(MDIMenu::instance() == nullptr);
}

void TestMdiMenu::menusAsTheTable()
{
    MDIMenu w;
    QCOMPARE(MDIMenu::instance(), &w);
    QCOMPARE(w.windowTitle(), QStringLiteral(" ZAL - Planilla del EKO..."));
    QCOMPARE(ui::mainMdiArea(), w.mdiArea);

    QStringList seen;
    for (QAction* top : w.menuBar()->actions()) {
        QMenu* menu = top->menu();
        QVERIFY(menu);
        seen << menu->objectName() + QLatin1Char(' ') + menu->title();
        for (QAction* a : menu->actions())
            seen << QStringLiteral("  ") + a->objectName() + (a->isSeparator() ? QStringLiteral(" ---") : QLatin1Char(' ') + a->text());
    }
    const QStringList expected{
        "mn001 &Archivo",
        "  mn00301 &Periodo...",
        "  mn00104 &Base de Datos...",
        "  mn00109 ---",
        "  mn00199 &Salida",
        "mn004 &Catálogos",
        "  mn00101 &Contribuyentes...",
        "  mn00102 &Gastos...",
        "  mn00103 &Proveedores...",
        "mn002 &Operación",
        "  mn00201 Ingreso de &Facturas",
        "  ISR ISR",
        "  mn002666 ---",
        "  mn00202 &Impresión de Planilla",
        "  mn00203 &Generar Archivo Electrónico...",
        "  mn0026661 ---",
        "  mn00204 &Cambio de Nit del Contribuyente...",
        "mn005 &Reportes",
        "  mn00501 &Estadísticas...",
        "mn009 A&yuda",
        "  mn00901 &Ayuda en línea",
        "  mn00903 &Licencia...",
        "  mn00999 ---",
        "  mn00902 Acerca de...",
    };
    QCOMPARE(seen, expected);

    // The members are the entries of the menus.
    const QList<QPair<const char*, QAction*>> members{
        {"mn00301", w.mn00301}, {"mn00104", w.mn00104}, {"mn00199", w.mn00199}, {"mn00101", w.mn00101},
        {"mn00102", w.mn00102}, {"mn00103", w.mn00103}, {"mn00201", w.mn00201}, {"ISR", w.ISR},
        {"mn00202", w.mn00202}, {"mn00203", w.mn00203}, {"mn00204", w.mn00204}, {"mn00501", w.mn00501},
        {"mn00901", w.mn00901}, {"mn00903", w.mn00903}, {"mn00902", w.mn00902}};
    for (const auto& [name, action] : members)
        QCOMPARE(w.findChild<QAction*>(QLatin1String(name)), action);
    for (QMenu* menu : {w.mn001, w.mn004, w.mn002, w.mn005, w.mn009})
        QVERIFY(w.menuBar()->actions().contains(menu->menuAction()));
}

void TestMdiMenu::changeOfNitIsGreyedAndDoesNothing()
{
    support::ScriptedDialogs dialogs;   // any message would fail the test
    MDIMenu w;
    QVERIFY(showActive(w));
    QVERIFY(w.mn00204->isVisible());
    QVERIFY(!w.mn00204->isEnabled());
    w.mn00204->setEnabled(true);        // even when reached, it does nothing
    w.mn00204->trigger();
    QCOMPARE(w.mdiArea->subWindowList().size(), 0);
    QVERIFY(w.isEnabled());
    QVERIFY(w.isVisible());
}

void TestMdiMenu::oneInstancePerForm()
{
    MDIMenu w;
    QVERIFY(showActive(w));
    QVERIFY(MDIMenu::findForm<EntryLikeForm>() == nullptr);

    auto* entry = MDIMenu::loadForm<EntryLikeForm>();
    QCOMPARE(MDIMenu::form<EntryLikeForm>(), entry);
    QVERIFY(entry->isLoaded());
    QVERIFY(entry->subWindow());   // a child form shows itself in the main window
    auto* catalogue = MDIMenu::loadForm<CatalogueLikeForm>();
    QVERIFY(catalogue != static_cast<LockingForm*>(entry));
    QCOMPARE(ui::activeForm(), catalogue);

    // Loading a loaded form changes nothing: it stays behind, and it is not loaded again.
    QCOMPARE(MDIMenu::loadForm<EntryLikeForm>(), entry);
    QCOMPARE(entry->loads, 1);
    QCOMPARE(ui::activeForm(), catalogue);
    QCOMPARE(w.mdiArea->subWindowList().size(), 2);

    // Showing brings the open form to the front, still the same instance.
    QCOMPARE(MDIMenu::showForm<EntryLikeForm>(), entry);
    QCOMPARE(entry->loads, 1);
    QCOMPARE(ui::activeForm(), entry);
    QCOMPARE(w.mdiArea->activeSubWindow(), entry->subWindow());

    // After unloading, opening it again loads a new instance, as designed; the old one goes.
    QVERIFY(entry->Unload());
    QPointer<EntryLikeForm> old = entry;
    EntryLikeForm* again = MDIMenu::loadForm<EntryLikeForm>();
    QVERIFY(again != entry);
    QCOMPARE(again->loads, 1);
    QVERIFY(again->isLoaded());
    QCOMPARE(MDIMenu::findForm<EntryLikeForm>(), again);
    QTRY_VERIFY(!old);
}

void TestMdiMenu::menuLockingAsChildFormsDoIt()
{
    MDIMenu w;
    QVERIFY(showActive(w));
    auto* entry = MDIMenu::form<EntryLikeForm>();
    entry->entries = {&MDIMenu::mn00301, &MDIMenu::mn00104, &MDIMenu::mn00203};
    auto* catalogue = MDIMenu::form<CatalogueLikeForm>();
    catalogue->entries = {&MDIMenu::mn00104};
    auto* exportForm = MDIMenu::form<ExportLikeForm>();
    exportForm->entries = {&MDIMenu::mn00301, &MDIMenu::mn00201};

    auto enabled = [&w] {
        return QList<bool>{w.mn00301->isEnabled(), w.mn00104->isEnabled(), w.mn00201->isEnabled(),
                           w.mn00203->isEnabled()};
    };
    QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));

    MDIMenu::loadForm<EntryLikeForm>();
    MDIMenu::loadForm<CatalogueLikeForm>();
    QCOMPARE(enabled(), (QList<bool>{false, false, true, false}));

    // Closing the catalogue enables its entry although the entry form is still open; the entry
    // form then becomes the active window again, and its activation locks its own entries anew.
    QList<bool> database;
    connect(w.mn00104, &QAction::enabledChanged, this, [&database](bool on) { database << on; });
    QVERIFY(catalogue->Unload());
    QCOMPARE(database, (QList<bool>{true, false}));
    QCOMPARE(ui::activeForm(), entry);
    QCOMPARE(enabled(), (QList<bool>{false, false, true, false}));

    // Switching between windows enables nothing.
    MDIMenu::loadForm<ExportLikeForm>();
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false}));
    w.mdiArea->setActiveSubWindow(entry->subWindow());
    QCOMPARE(ui::activeForm(), entry);
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false}));

    // Entries are switched one by one, without a count: the first to unload enables its own, even
    // an entry the other open form had switched off too.
    database.clear();
    w.mdiArea->setActiveSubWindow(exportForm->subWindow());
    QVERIFY(exportForm->Unload());   // the entry form comes back and locks "Periodo" again
    QCOMPARE(enabled(), (QList<bool>{false, false, true, false}));
    QVERIFY(entry->Unload());
    QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));

    // The helper for several entries at once does the same, and nothing without a main window.
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00203}, false);
    QCOMPARE(enabled(), (QList<bool>{false, true, true, false}));
}

void TestMdiMenu::periodAndDatabaseEntries()
{
    support::TestDatabase db;
    Biblio::gBaseDatos = db.path();
    sys::saveSetting(QStringLiteral("ZAL EKO"), QStringLiteral("Configuracion"), QStringLiteral("DefaultPer"),
                     QStringLiteral("3"));
    support::ScriptedDialogs dialogs;
    MDIMenu w;
    QVERIFY(showActive(w));

    // "&Periodo..." loads the period dialog inside the main window, once.
    w.mn00301->trigger();
    auto* period = MDIMenu::findForm<frmConfigP>();
    QVERIFY(period);
    QVERIFY(period->isLoaded());
    QVERIFY(period->subWindow());
    QCOMPARE(period->subWindow()->mdiArea(), w.mdiArea);
    QVERIFY(!w.mn00104->isEnabled());   // its own menu locking
    w.mn00301->trigger();
    QCOMPARE(MDIMenu::findForm<frmConfigP>(), period);
    QCOMPARE(w.mdiArea->subWindowList().size(), 1);
    QVERIFY(period->Unload());
    QVERIFY(w.mn00104->isEnabled());

    // "&Base de Datos..." disables the whole main window until the dialog unloads; the dialog
    // itself stays usable.
    w.mn00104->trigger();
    auto* base = MDIMenu::findForm<frmConfigBase>();
    QVERIFY(base);
    QVERIFY(base->isLoaded());
    QVERIFY(base->isVisible());
    QVERIFY(!w.isEnabled());
    QVERIFY(base->isEnabled());
    QVERIFY(!base->isModal());
    QVERIFY(base->Unload());
    QVERIFY(w.isEnabled());
    Biblio::gBaseDatos = QVariant();
    Biblio::gPeriodo.clear();
}

void TestMdiMenu::salidaUnloadsEveryChild()
{
    MDIMenu w;
    QVERIFY(showActive(w));
    QSignalSpy unloaded(&w, &MDIMenu::unloaded);
    QStringList log;
    auto* entry = MDIMenu::loadForm<EntryLikeForm>();
    auto* catalogue = MDIMenu::loadForm<CatalogueLikeForm>();
    entry->setObjectName(QStringLiteral("entry"));
    catalogue->setObjectName(QStringLiteral("catalogue"));
    for (LockingForm* f : {static_cast<LockingForm*>(entry), static_cast<LockingForm*>(catalogue)})
        f->log = &log;

    w.mn00199->trigger();
    QCOMPARE(log, (QStringList{"catalogue unload", "entry unload"}));   // most recently active first
    QVERIFY(!entry->isLoaded());
    QVERIFY(!catalogue->isLoaded());
    QVERIFY(w.isUnloaded());
    QVERIFY(!w.isVisible());
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(w.Unload());   // nothing more to do
    QCOMPARE(unloaded.count(), 1);
}

void TestMdiMenu::refusingChildStopsShutdown()
{
    MDIMenu w;
    QVERIFY(showActive(w));
    QStringList log;
    auto* entry = MDIMenu::loadForm<EntryLikeForm>();
    auto* catalogue = MDIMenu::loadForm<CatalogueLikeForm>();
    entry->setObjectName(QStringLiteral("entry"));
    catalogue->setObjectName(QStringLiteral("catalogue"));
    entry->log = catalogue->log = &log;
    entry->refuse = 1;
    w.mn00901->trigger();   // the help window is open
    QVERIFY(sys::HelpViewer::instance().isOpen());

    QVERIFY(!w.Unload());
    QCOMPARE(log, (QStringList{"catalogue unload", "entry unload"}));
    QVERIFY(!catalogue->isLoaded());   // the ones before the refusal are gone
    QVERIFY(entry->isLoaded());
    QVERIFY(!w.isUnloaded());
    QVERIFY(w.isVisible());
    QVERIFY(sys::HelpViewer::instance().isOpen());   // shutdown stopped before the help closes

    // Once the form agrees, "&Salida" goes through.
    entry->refuse = 0;
    w.mn00199->trigger();
    QVERIFY(w.isUnloaded());
    QVERIFY(!entry->isLoaded());
    QVERIFY(!sys::HelpViewer::instance().isOpen());
}

void TestMdiMenu::closeBoxShutsDownToo()
{
    MDIMenu w;
    QVERIFY(showActive(w));
    auto* entry = MDIMenu::loadForm<EntryLikeForm>();
    entry->refuse = 1;
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QVERIFY(entry->isLoaded());
    entry->refuse = 0;
    QVERIFY(w.close());
    QVERIFY(w.isUnloaded());
    QVERIFY(!entry->isLoaded());
}

void TestMdiMenu::backdropFollowsTheClientArea()
{
    MDIMenu w;
    QVERIFY(!w.picOriginal().isNull());
    w.resize(700, 500);
    QVERIFY(showActive(w));
    // Each resize stretches the whole picture to the new client area, without keeping its shape.
    QSize previous;
    const QSize sizes[] = {QSize(640, 480), QSize(1000, 420), QSize(500, 700)};
    for (const QSize& size : sizes) {
        w.resize(size);
        QTRY_VERIFY(w.mdiArea->viewport()->size() != previous);
        const QSize client = w.mdiArea->viewport()->size();
        QVERIFY(!client.isEmpty());
        QCOMPARE(w.mdiArea->background().textureImage().size(), client);
        QCOMPARE(w.picStretched().size(), client);
        previous = client;
    }
}

void TestMdiMenu::childLargerThanTheClientAreaScrolls()
{
    MDIMenu w;
    w.resize(700, 400);
    QVERIFY(showActive(w));
    auto* f = MDIMenu::showForm<EntryLikeForm>();
    QVERIFY(f);
    QVERIFY(!w.mdiArea->verticalScrollBar()->isVisible());
    QCOMPARE(w.mdiArea->subWindowList().size(), 1);
    w.mdiArea->subWindowList().first()->resize(600, 900);   // its lower part lies below the client area
    QTRY_VERIFY(w.mdiArea->verticalScrollBar()->isVisible());
    QVERIFY(w.mdiArea->verticalScrollBar()->maximum() > 0);
}

void TestMdiMenu::helpFilePath_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << "/opt/zal" << "/opt/zal/ZAL.HLP";
    QTest::newRow("root") << "/" << "/ZAL.HLP";
    QTest::newRow("trailing separator") << "/opt/zal/" << "/opt/zal/ZAL.HLP";
    QTest::newRow("blanks trimmed") << "  /opt/zal  " << "/opt/zal/ZAL.HLP";
    QTest::newRow("blank after separator") << "/opt/zal/ " << "/opt/zal/ZAL.HLP";
}

void TestMdiMenu::helpFilePath()
{
    QFETCH(QString, dir);
    QFETCH(QString, path);
    QCOMPARE(ContextIDs::helpFilePath(dir), path);

    // The main window makes it the help file of the program's folder.
    sys::setAppPath(dir);
    MDIMenu w;
    QCOMPARE(sys::HelpViewer::instance().helpFile(), ContextIDs::helpFilePath(sys::appPath()));
    QCOMPARE(ContextIDs::ghWndAyuda, qint32(w.winId()));
}

void TestMdiMenu::helpOpensAndClosesWithTheWindow()
{
    const QString source = qEnvironmentVariable("ZAL_SOURCE_DIR");
    QVERIFY2(!source.isEmpty(), "ZAL_SOURCE_DIR is not set");
    sys::setAppPath(source + QStringLiteral("/resources"));
    MDIMenu w;
    QVERIFY(showActive(w));

    w.mn00901->trigger();
    sys::HelpViewer& help = sys::HelpViewer::instance();
    QVERIFY(help.isOpen());
    QCOMPARE(help.helpFile(), source + QStringLiteral("/resources/ZAL.HLP"));
    QVERIFY(!help.browser()->toPlainText().isEmpty());

    // A message box's Help button opens the same file at its context number.
    help.close();
    ui::showHelp(1080);
    QVERIFY(help.isOpen());

    QVERIFY(w.Unload());
    QVERIFY(!help.isOpen());
}

QTEST_MAIN(TestMdiMenu)
#include "test_mdi_menu.moc"
