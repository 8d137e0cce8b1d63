// The forms fit their contents: every box shows its longest value whole, the forms fit in the
// main window of a 1280×800 screen, the catalogues share one button style, the main window opens
// at its share of the screen and the licence viewer shows its longest line whole.
#include "catalogs/frm_contribuyente.h"
#include "catalogs/frm_gastos.h"
#include "catalogs/frm_proveedor.h"
#include "core/biblio.h"
#include "core/frm_config_base.h"
#include "core/frm_reporte.h"
#include "core/mdi_menu.h"
#include "income_tax/frm_isr.h"
#include "platform/system/app_info.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"
#include "printing/frm_report01.h"
#include "worksheet/frm_planillas.h"
#include "support/fit_check.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QFile>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <map>
#include <memory>

namespace {

// The main window's share of a 1280×800 screen, less its menu and frames and a child's frame.
constexpr int kRoomWidth = int(1280 * MDIMenu::kScreenShare) - 40;
constexpr int kRoomHeight = int(800 * MDIMenu::kScreenShare) - 90;

template <class F>
std::unique_ptr<ui::Form> make()
{
    return std::make_unique<F>();
}

// The forms checked, by name.
const std::map<QString, std::unique_ptr<ui::Form> (*)()> kForms = {
    {QStringLiteral("frmContribuyente"), make<frmContribuyente>},
    {QStringLiteral("frmProveedor"), make<frmProveedor>},
    {QStringLiteral("frmGastos"), make<frmGastos>},
    {QStringLiteral("frmConfigBase"), make<frmConfigBase>},
    {QStringLiteral("frmISR"), make<frmISR>},
    {QStringLiteral("frmReport01"), make<frmReport01>},
    {QStringLiteral("frmPlanillas"), make<frmPlanillas>},
};

std::unique_ptr<ui::Form> makeForm(const QString& name)
{
    return kForms.at(name)();
}

} // namespace

class TestFormFit : public QObject {
    Q_OBJECT
private slots:
    void formsFitTheirContents_data();
    void formsFitTheirContents();
    void cataloguesShareOneButtonStyle_data();
    void cataloguesShareOneButtonStyle();
    void mainWindowTakesItsShareOfTheScreen();
    void licenceViewerShowsItsLongestLine_data();
    void licenceViewerShowsItsLongestLine();
};

void TestFormFit::formsFitTheirContents_data()
{
    QTest::addColumn<QString>("form");
    for (const auto& [name, maker] : kForms)
        QTest::newRow(qPrintable(name)) << name;
}

void TestFormFit::formsFitTheirContents()
{
    QFETCH(QString, form);
    support::TestDatabase db;
    support::TempSettings settings;
    Biblio::gBaseDatos = db.path();
    const std::unique_ptr<ui::Form> f = makeForm(form);
    f->resize(f->minimumSizeHint());
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));

    // At its smallest, every box still shows its longest value.
    const QStringList narrow = support::boxesTooNarrow(f.get());
    QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join(QLatin1Char('\n'))));
    // And that smallest size fits in the main window of a 1280×800 screen.
    const QSize least = f->minimumSizeHint();
    QVERIFY2(least.width() <= kRoomWidth && least.height() <= kRoomHeight,
             qPrintable(QStringLiteral("%1×%2").arg(least.width()).arg(least.height())));
}

void TestFormFit::cataloguesShareOneButtonStyle_data()
{
    QTest::addColumn<QString>("form");
    for (const char* name : {"frmContribuyente", "frmProveedor", "frmGastos"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestFormFit::cataloguesShareOneButtonStyle()
{
    QFETCH(QString, form);
    const std::unique_ptr<ui::Form> f = makeForm(form);
    const QList<QToolButton*> buttons = f->findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^cmd")));
    QCOMPARE(buttons.size(), 4);
    for (QToolButton* b : buttons) {
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QCOMPARE(b->iconSize(), QSize(32, 32));
        QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
        QVERIFY(!b->autoRaise());
    }
    // The status bar: date, time and the prompt.
    auto* stat = f->findChild<ui::StatusBar*>(QStringLiteral("Stat"));
    QVERIFY(stat);
    QCOMPARE(stat->panel(1).style(), ui::StatusPanel::Style::Date);
    QCOMPARE(stat->panel(2).style(), ui::StatusPanel::Style::Time);
    QCOMPARE(stat->panel(3).style(), ui::StatusPanel::Style::Text);
}

void TestFormFit::mainWindowTakesItsShareOfTheScreen()
{
    support::TestDatabase db;
    support::TempSettings settings;
    Biblio::gBaseDatos = db.path();
    support::ScriptedDialogs dialogs;
    MDIMenu w;
    const QString off = support::offShareOfScreen(&w, MDIMenu::kScreenShare);
    QVERIFY2(off.isEmpty(), qPrintable(off));
}

void TestFormFit::licenceViewerShowsItsLongestLine_data()
{
    QTest::addColumn<int>("longest");
    QTest::newRow("short") << 20;
    QTest::newRow("the licence's own") << 93;
    QTest::newRow("wider than the screen") << 1000;
}

void TestFormFit::licenceViewerShowsItsLongestLine()
{
    QFETCH(int, longest);
    QTemporaryDir dir;
    sys::setAppPath(dir.path());
    const QString line = support::capitalsText(longest);
    QFile file(dir.filePath(QStringLiteral("licencia.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("CONTRATO\r\n\r\n" + line.toUtf8() + "\r\nFin.\r\n");
    file.close();

    support::ScriptedDialogs dialogs;
    bool seen = false;
    support::ScopedModalRunner runner([&](ui::Form& form) {
        auto* viewer = qobject_cast<frmReporte*>(&form);
        QVERIFY(viewer);
        seen = true;
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        const QRect free = viewer->screen()->availableGeometry();
        QVERIFY(viewer->width() <= free.width() && viewer->height() <= free.height());
        if (viewer->width() < free.width()) {
            QVERIFY2(viewer->Lista->visualItemRect(viewer->Lista->item(2)).width() <= viewer->Lista->viewport()->width(),
                     qPrintable(QString::number(viewer->Lista->viewport()->width())));
            QVERIFY(!viewer->Lista->horizontalScrollBar()->isVisible());
        } else {
            QVERIFY(longest > 93);   // only a line longer than the licence's own may not fit
        }
        viewer->cmdOk->click();
    });
    QVERIFY(MuestraLicencia());
    QVERIFY(seen);
}

QTEST_MAIN(TestFormFit)
#include "test_form_fit.moc"
