// The three entries of "&Catálogos" open their catalogues, once each.
#include "catalogs/frm_contribuyente.h"
#include "catalogs/frm_gastos.h"
#include "catalogs/frm_proveedor.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QMdiArea>
#include <QtTest>

class TestCatalogMenus : public QObject {
    Q_OBJECT
private slots:
    void entriesOpenEachCatalogueOnce();
};

void TestCatalogMenus::entriesOpenEachCatalogueOnce()
{
    support::TestDatabase t;
    support::ScriptedDialogs dialogs;
    Biblio::gBaseDatos = t.path();
    MDIMenu menu;
    menu.show();
    for (int round = 0; round < 2; ++round) {
        menu.mn00101->trigger();
        menu.mn00102->trigger();
        menu.mn00103->trigger();
    }
    QVERIFY(MDIMenu::findForm<frmContribuyente>() && MDIMenu::findForm<frmContribuyente>()->isLoaded());
    QVERIFY(MDIMenu::findForm<frmGastos>() && MDIMenu::findForm<frmGastos>()->isLoaded());
    QVERIFY(MDIMenu::findForm<frmProveedor>() && MDIMenu::findForm<frmProveedor>()->isLoaded());
    QCOMPARE(menu.mdiArea->subWindowList().size(), 3);
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(menu.Unload());
    QVERIFY(menu.mn00104->isEnabled());
}

QTEST_MAIN(TestCatalogMenus)
#include "test_catalog_menus.moc"
