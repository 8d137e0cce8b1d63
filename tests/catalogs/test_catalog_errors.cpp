// The database-error handling shared by the taxpayer and supplier catalogues, driven with a body
// that raises the engine's errors on demand.
#include "catalogs/catalog_errors.h"
#include "core/biblio.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/mouse_pointer.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using catalogs::CatalogWrite;

namespace {

const QString kInUse = QStringLiteral(" Este proveedor forma parte de alguna planilla ! Imposible borrar ! ...");
const QString kLockedSave
    = QStringLiteral(" Un usuario está escribiendo en este momento en este mismo archivo... Desea usted volver a intentar grabar???");
const QString kLockedDeletion = QStringLiteral(" Un usuario está escribiendo o haciendo uso en este momento en este mismo archivo... ")
    + QLatin1Char('\r') + QStringLiteral(" Desea usted volver a intentar???");

QStringList messages(const support::ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const auto& call : dialogs.calls())
        out << QStringLiteral("%1 | %2 | %3").arg(call.prompt).arg(call.style).arg(call.title);
    return out;
}

// A form with a tax-id combo and a box, and a data control on a test database.
struct Bench {
    support::TestDatabase db;
    ui::Form form;
    ui::DBCombo* combo;
    QLineEdit* other;
    ui::DataControl* records;
    int cleared = 0;
    catalogs::CatalogErrorContext context;

    Bench()
    {
        auto* layout = new QVBoxLayout(&form);
        combo = new ui::DBCombo(&form);
        other = new QLineEdit(&form);
        records = new ui::DataControl(&form);
        layout->addWidget(combo);
        layout->addWidget(other);
        layout->addWidget(records);
        records->setDatabaseName(db.path());
        records->setConnect(Biblio::kConnect);
        records->setRecordSource(QStringLiteral("Proveedores"));
        records->Refresh();
        context.combo = combo;
        context.records = records;
        context.clearForm = [this] { ++cleared; };
        context.inUseMessage = kInUse;
        form.Show();
        form.activateWindow();
    }
};

} // namespace

class TestCatalogErrors : public QObject {
    Q_OBJECT
private slots:
    void errorsByNumber_data();
    void errorsByNumber();
    void retriesFollowOneAnother();
    void failedSaveLeavesNoPendingChange();
    void noCurrentRecordSkipsTheStep();
};

void TestCatalogErrors::errorsByNumber_data()
{
    QTest::addColumn<bool>("deletion");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");   // "prompt | style | title"
    QTest::addColumn<int>("runs");
    const QString saveQuestion = QStringLiteral("%1 | %2 |  ZAL").arg(kLockedSave).arg(ui::vbYesNo | ui::vbInformation);
    const QString deletionQuestion
        = QStringLiteral("%1 | %2 |  ZAL").arg(kLockedDeletion).arg(ui::vbYesNo | ui::vbInformation);
    const QString system3200 = QStringLiteral(" Error de sistema 3200\r%1 | 0 | ").arg(db::describe(3200, QStringLiteral("Planilla_Det")));
    const QString system3022 = QStringLiteral(" Error de sistema 3022\r%1 | 0 | ").arg(db::describe(3022));

    QTest::newRow("save, 3200 is any other number") << false << 3200 << ui::vbOK << system3200 << 1;
    QTest::newRow("deletion, 3200 refused") << true << 3200 << ui::vbOK
                                            << QStringLiteral("%1 | %2 |  ZAL").arg(kInUse).arg(ui::vbInformation) << 1;
    QTest::newRow("save, 3260 No") << false << 3260 << ui::vbNo << saveQuestion << 1;
    QTest::newRow("deletion, 3260 No") << true << 3260 << ui::vbNo << deletionQuestion << 1;
    QTest::newRow("save, 3260 Yes") << false << 3260 << ui::vbYes << saveQuestion << 2;
    QTest::newRow("deletion, 3260 Yes") << true << 3260 << ui::vbYes << deletionQuestion << 2;
    QTest::newRow("save, other") << false << 3022 << ui::vbOK << system3022 << 1;
    QTest::newRow("deletion, other") << true << 3022 << ui::vbOK << system3022 << 1;
}

void TestCatalogErrors::errorsByNumber()
{
    QFETCH(bool, deletion);
    QFETCH(int, error);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(int, runs);
    Bench bench;
    QVERIFY(QTest::qWaitForWindowActive(&bench.form));
    bench.other->setFocus();
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(answer);
    int run = 0;
    ui::runHandler([&] {
        catalogs::runCatalogWrite(deletion ? CatalogWrite::Deletion : CatalogWrite::Save, bench.context, [&] {
            ++run;
            ui::setMousePointer(ui::vbHourglass);
            if (run == 1)
                db::raise(error, QStringLiteral("Planilla_Det"));
            ui::setMousePointer(ui::vbDefault);
        });
    });
    QCOMPARE(messages(dialogs), QStringList{message});
    QCOMPARE(run, runs);
    // Cleared with the focus in the combo, unless the retry went through.
    QCOMPARE(bench.cleared, runs == 1 ? 1 : 0);
    QCOMPARE(QApplication::focusWidget(), runs == 1 ? static_cast<QWidget*>(bench.combo) : bench.other);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestCatalogErrors::retriesFollowOneAnother()
{
    // A file that stays locked while the user keeps answering Yes: every run starts from the
    // same place, none inside another.
    Bench bench;
    support::ScriptedDialogs dialogs;
    constexpr int kLockedRuns = 500;
    for (int i = 0; i < kLockedRuns; ++i)
        dialogs.expectMsgBox(kLockedSave, ui::vbYes);
    QSet<quintptr> frames;
    int run = 0;
    catalogs::runCatalogWrite(CatalogWrite::Save, bench.context, [&] {
        volatile int marker = ++run;
        frames.insert(quintptr(&marker));
        if (marker <= kLockedRuns)
            db::raise(db::err::Locked);
    });
    QCOMPARE(run, kLockedRuns + 1);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(dialogs.pending(), 0);
    QCOMPARE(bench.cleared, 0);
}

void TestCatalogErrors::failedSaveLeavesNoPendingChange()
{
    Bench bench;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(ui::vbOK);
    catalogs::runCatalogWrite(CatalogWrite::Save, bench.context, [&] {
        db::Recordset rs = bench.records->Recordset();
        rs.addNew();
        rs.setField(QStringLiteral("Nit"), QStringLiteral("19"));
        db::raise(db::err::DiskFull);
    });
    QCOMPARE(bench.records->Recordset().editMode(), db::EditMode::None);
    QCOMPARE(bench.records->Recordset().recordCount(), 0);
}

void TestCatalogErrors::noCurrentRecordSkipsTheStep()
{
    QStringList steps;
    catalogs::passOverNoCurrentRecord([&] {
        steps << QStringLiteral("first");
        db::raise(db::err::NoCurrentRecord);
        steps << QStringLiteral("never");
    });
    steps << QStringLiteral("next");
    QCOMPARE(steps, (QStringList{"first", "next"}));
    bool thrown = false;
    try {
        catalogs::passOverNoCurrentRecord([] { db::raise(db::err::RelatedRecords, QStringLiteral("Planilla_Det")); });
    } catch (const db::DbError& e) {
        thrown = e.number() == db::err::RelatedRecords;
    }
    QVERIFY(thrown);
}

QTEST_MAIN(TestCatalogErrors)
#include "test_catalog_errors.moc"
