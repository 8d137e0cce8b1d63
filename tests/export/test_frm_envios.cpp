// The export form and its run: the taxpayer list of the current period, the selection and the
// folder, menu locking, the files written (byte for byte against the golden file), the viewer and
// the messages, and the failures: a folder that takes no file, a row that cannot be written, a tax
// id that is no file name, no current period, the diskette question, a full disk, a read-only
// older file, and the temporary files that killed runs leave behind.
#include "core/biblio.h"
#include "core/frm_reporte.h"
#include "core/mdi_menu.h"
#include "export/frm_envios.h"
#include "export/worksheet_fixture.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "support/fit_check.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTitle = QStringLiteral(" ZAL");
const QString kNoFolder = QStringLiteral(
    "No ha especificado el directorio de exportación válido. Imposible iniciar el proceso de exportacion..");
const QString kNoPeriod = QStringLiteral(" No hay un período actual válido. Imposible iniciar el proceso de exportacion..");
const QString kSuccess = QStringLiteral(" Proceso Terminado Satisfactoriamente...");
const QString kBadFolder = QStringLiteral(" El directorio seleccionado es inválido...");
const QString kDiskette = QStringLiteral(" El sistema generará cada planilla en diferentes diskettes... \r Ingrese otro diskette en blanco...");
const QString kViewerTitle = QStringLiteral(" Archivos Generados por el sistema:");

QString fileLine(const QString& nit, const QString& path)
{
    return QStringLiteral(" Archivo de Planilla del Nit : ") + nit + QStringLiteral(" = ") + path;
}

// Each message box as "prompt | style | title".
QStringList messages(const support::ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const auto& call : dialogs.calls())
        if (call.kind == support::ScriptedDialogs::Kind::MsgBox)
            out << QStringLiteral("%1 | %2 | %3").arg(call.prompt).arg(call.style).arg(call.title);
    return out;
}

QString message(const QString& prompt, int style, const QString& title = kTitle)
{
    return QStringLiteral("%1 | %2 | %3").arg(prompt).arg(style).arg(title);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

struct Fixture {
    support::TestDatabase t;
    support::TempSettings settings;
    support::FixedClock clock{QDateTime(QDate(2004, 9, 3), QTime(10, 0))};
    QTemporaryDir out;
    fixture::Worksheets ws{t.path()};
    QList<QStringList> viewers;   // the lines of every viewer shown
    support::ScopedModalRunner runner{[this](ui::Form& form) {
        auto* viewer = qobject_cast<frmReporte*>(&form);
        QVERIFY(viewer);
        QStringList lines;
        for (int i = 0; i < viewer->Lista->count(); ++i)
            lines << viewer->Lista->item(i)->text();
        viewers << lines;
        QTest::mouseClick(viewer->cmdOk, Qt::LeftButton);
    }};

    explicit Fixture(bool withPeriod = true)
    {
        Biblio::gBaseDatos = t.path();
        if (withPeriod) {
            ws.addPeriod(99, QDate(2004, 7, 1), QDate(2004, 8, 31));
            Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("99"));
        }
    }

    // A taxpayer with a worksheet in period 99 and the given number of documents.
    int taxpayer(const QString& nit, int documents, const QString& nombre = QStringLiteral("Contribuyente"))
    {
        const int no = ws.addTaxpayer(nit, nombre, QStringLiteral("7654321"));
        const int enc = ws.addHeader(no, 99);
        for (int d = 1; d <= documents; ++d)
            ws.addDocument(enc, QStringLiteral("1234567"), QString::number(d), d * 10.0);
        return no;
    }

    QString path(const QString& name) const { return out.filePath(name); }
};

void open(frmEnvios& f)
{
    f.Load();
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
}

void select(frmEnvios& f, const QList<int>& rows)
{
    for (const int r : rows)
        f.List1->item(r)->setSelected(true);
}

// The folder as the folder dialog leaves it.
void setFolder(frmEnvios& f, const QString& folder)
{
    f.DirDestino = folder;
    f.txtFileName->setText(folder);
}

// Runs the export; whatever happens, the hourglass is gone afterwards.
void run(frmEnvios& f)
{
    ui::runHandler([&f] { f.cmdIniciar_Click(); });
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

QStringList entries(const frmEnvios& f)
{
    QStringList out;
    for (int i = 0; i < f.List1->count(); ++i)
        out << f.List1->item(i)->text();
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString failure(const QString& path, const QString& cause)
{
    return message(QStringLiteral(" No se pudo generar el archivo ") + path + QLatin1Char('\r') + cause, ui::vbCritical);
}

QStringList allIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A small disk of its own, mounted for this test process alone (it goes with the process); its
// free room is used up by fill(). Only where the test may mount one (as the administrator).
class SmallDisk {
public:
    SmallDisk()
    {
        static const bool ownMounts = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        mounted_ = ownMounts && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    void fill() const
    {
        QFile filler(dir_.filePath(QStringLiteral("relleno")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace

class TestFrmEnvios : public QObject {
    Q_OBJECT
private slots:
    void listOfThePeriod();
    void fitsTheMainWindow();
    void noValidPeriod_data();
    void noValidPeriod();
    void menuLocking();
    void selectionAndFolder();
    void goldenFileByMouse();
    void twoTaxpayers();
    void existingFileReplacedOnSuccess();
    void folderThatTakesNoFile_data();
    void folderThatTakesNoFile();
    void rowWithoutSupplier();
    void failureAfterTheTemporaryFile();
    void nitThatIsNoFileName();
    void nitsThatCanNameAFile_data();
    void nitsThatCanNameAFile();
    void failureCausesInSpanish_data();
    void failureCausesInSpanish();
    void diskFullLeavesTheOlderFile();
    void readOnlyFileIsNotReplaced();
    void leftoverTemporaryFilesRemoved();
    void periodOfTheLoad();
    void diskettes_data();
    void diskettes();
    void selectionWithoutDocuments();
};

void TestFrmEnvios::selectionWithoutDocuments()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1234567"), 0, QStringLiteral("Sin documentos"));
    fx.taxpayer(QStringLiteral("7654321"), 2, QStringLiteral("Con documentos"));
    frmEnvios f;
    open(f);
    QCOMPARE(f.List1->count(), 2);

    // A folder chosen while nothing is selected: the run refuses, nothing is written.
    dialogs.expectBrowse(fx.out.path());
    ui::runHandler([&f] { f.cmdBrowse_Click(); });
    dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar al menos un usuario..."), ui::vbOK);
    run(f);
    QTRY_COMPARE(QApplication::focusWidget(), f.List1);
    QVERIFY(fx.viewers.isEmpty());
    QVERIFY(filesIn(fx.out.path()).isEmpty());
    QCOMPARE(f.DirDestino, fx.out.path());   // the folder stays chosen for the next try

    // Only a taxpayer whose worksheet has no document: no file; the run ends as every run does,
    // with the list (its heading alone) and the success message, and the form starts over.
    select(f, {0});
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);
    QCOMPARE(fx.viewers.size(), 1);
    QCOMPARE(fx.viewers.first(), (QStringList{QStringLiteral(" Archivos Generados por el sistema:"), QString()}));
    QVERIFY(filesIn(fx.out.path()).isEmpty());
    QVERIFY(f.List1->selectedItems().isEmpty());
    QVERIFY(f.DirDestino.isEmpty());
    QVERIFY(f.txtFileName->text().isEmpty());

    // With one that has documents the run lists the one file written.
    setFolder(f, fx.out.path());
    select(f, {0, 1});
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);
    QCOMPARE(fx.viewers.size(), 2);
    QCOMPARE(fx.viewers.last().size(), 3);
    QCOMPARE(filesIn(fx.out.path()).size(), 1);
    QVERIFY(f.Unload());
}

void TestFrmEnvios::listOfThePeriod()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    const int a = fx.taxpayer(QStringLiteral("12345678"), 1, QStringLiteral("Ana"));
    const int b = fx.taxpayer(QStringLiteral("1234567890123K"), 1, QStringLiteral("Beto"));
    const int c = fx.taxpayer(QStringLiteral("1234567 "), 1, QStringLiteral("Carla"));
    const int d = fx.taxpayer(QStringLiteral("9"), 0, QStringLiteral("Dora"));   // a worksheet without documents
    const int other = fx.ws.addTaxpayer(QStringLiteral("5555555"), QStringLiteral("Otro periodo"));
    fx.ws.addHeader(other, 3);

    frmEnvios f;
    open(f);
    QCOMPARE(f.windowTitle(), QStringLiteral("Envíos Electrónicos..."));
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual: 01/07/2004 - 31/08/2004"));
    QStringList expected{QStringLiteral("12345678      Ana"), QStringLiteral("1234567890123K   Beto"),
                         QStringLiteral("1234567      Carla"), QStringLiteral("9   Dora")};
    QCOMPARE(entries(f), expected);
    QList<int> data;
    for (int i = 0; i < f.List1->count(); ++i)
        data << f.List1->item(i)->data(Qt::UserRole).toInt();
    QCOMPARE(data, (QList<int>{a, b, c, d}));
    QVERIFY(f.Unload());
}

void TestFrmEnvios::fitsTheMainWindow()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1234567890123K"), 1, QString(90, QLatin1Char('W')));
    frmEnvios f;
    open(f);
    f.resize(f.minimumSizeHint());
    const QStringList narrow = support::boxesTooNarrow(&f);
    QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join(QLatin1Char('\n'))));
    // The smallest form fits in the main window of a 1280×800 screen, frames and menu aside.
    const QSize least = f.minimumSizeHint();
    QVERIFY(least.width() <= int(1280 * MDIMenu::kScreenShare) - 40);
    QVERIFY(least.height() <= int(800 * MDIMenu::kScreenShare) - 90);
    // A folder path of 48 characters shows whole in the folder box.
    f.txtFileName->setText(support::capitalsText(48));
    QVERIFY(f.txtFileName->fontMetrics().horizontalAdvance(f.txtFileName->text()) <= ui::textAreaWidth(f.txtFileName));
    QVERIFY(f.Unload());
}

void TestFrmEnvios::noValidPeriod_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("label");
    QTest::newRow("none chosen") << "" << "Período Actual: < Ninguno >";
    QTest::newRow("not in Periodos") << "98" << "Período Actual:";
    QTest::newRow("not a number") << "99 Or 1=1" << "Período Actual:";
}

void TestFrmEnvios::noValidPeriod()
{
    QFETCH(QString, period);
    QFETCH(QString, label);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1234567"), 2);
    Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), period);

    frmEnvios f;
    open(f);
    QCOMPARE(f.lblActual->text(), label);
    QCOMPARE(f.List1->count(), 0);
    QVERIFY(!f.hasPeriod());
    setFolder(f, fx.out.path());
    dialogs.expectMsgBox(kNoPeriod, ui::vbOK);
    run(f);
    QCOMPARE(messages(dialogs), QStringList{message(kNoPeriod, ui::vbCritical)});
    QVERIFY(filesIn(fx.out.path()).isEmpty());
    QVERIFY(fx.viewers.isEmpty());
    QVERIFY(f.Unload());
}

void TestFrmEnvios::menuLocking()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    menu.mn00203->trigger();
    frmEnvios* f = MDIMenu::findForm<frmEnvios>();
    QVERIFY(f && f->isLoaded());
    QTRY_VERIFY(!menu.mn00301->isEnabled());
    QVERIFY(!menu.mn00201->isEnabled());
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(menu.mn00203->isEnabled());
    menu.mn00203->trigger();   // loads nothing twice
    QCOMPARE(menu.mdiArea->subWindowList().size(), 1);
    QVERIFY(f->Unload());
    QVERIFY(menu.mn00301->isEnabled());
    QVERIFY(menu.mn00201->isEnabled());
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(menu.Unload());
}

void TestFrmEnvios::selectionAndFolder()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1234567"), 1);
    frmEnvios f;
    open(f);

    // Entering the browse button with nothing selected sends the user back to the list.
    dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar al menos un usuario..."), ui::vbOK);
    ui::runHandler([&f] { f.cmdBrowse_GotFocus(); });
    QTRY_COMPARE(QApplication::focusWidget(), f.List1);
    QVERIFY(f.List1->isEnabled());

    // With a selection the list freezes; a cancelled dialog chooses no folder.
    select(f, {0});
    dialogs.expectBrowse(QString()).expectMsgBox(kNoFolder, ui::vbOK);
    ui::runHandler([&f] { f.cmdBrowse_GotFocus(); f.cmdBrowse_Click(); });
    QVERIFY(!f.List1->isEnabled());
    QVERIFY(f.DirDestino.isEmpty());
    QCOMPARE(dialogs.calls().last().style, ui::vbCritical);
    QCOMPARE(dialogs.calls().last().title, QStringLiteral(" Bancario(ZAL)..."));

    // The start button refuses without a folder and sends the focus to the browse button.
    dialogs.expectMsgBox(kNoFolder, ui::vbOK);
    run(f);
    QTRY_COMPARE(QApplication::focusWidget(), f.cmdBrowse);

    dialogs.expectBrowse(fx.out.path());
    ui::runHandler([&f] { f.cmdBrowse_Click(); });
    QCOMPARE(f.DirDestino, fx.out.path());
    QCOMPARE(f.txtFileName->text(), fx.out.path());
    QTRY_COMPARE(QApplication::focusWidget(), f.cmdIniciar);

    // Clearing keeps the folder box's text.
    QTest::mouseClick(f.cmdLimpiar, Qt::LeftButton);
    QVERIFY(f.List1->isEnabled());
    QVERIFY(f.List1->selectedItems().isEmpty());
    QVERIFY(f.DirDestino.isEmpty());
    QCOMPARE(f.txtFileName->text(), fx.out.path());
    QVERIFY(filesIn(fx.out.path()).isEmpty());
    QVERIFY(f.Unload());
}

void TestFrmEnvios::goldenFileByMouse()
{
    Fixture fx(false);
    support::ScriptedDialogs dialogs;
    const QJsonObject w = fixture::goldenWorksheet();
    fx.ws.addGolden(w);
    Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("99"));
    support::FixedClock writtenOn(QDateTime(fixture::isoDate(w.value(QStringLiteral("writtenOn"))), QTime(23, 0)));

    frmEnvios f;
    open(f);
    QCOMPARE(f.List1->count(), 1);
    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, f.List1->visualItemRect(f.List1->item(0)).center());
    QVERIFY(f.List1->item(0)->isSelected());
    dialogs.expectBrowse(fx.out.path());
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), f.cmdIniciar);
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    QTest::mouseClick(f.cmdIniciar, Qt::LeftButton);

    const QString path = fx.out.path() + QLatin1Char('/') + fixture::goldenName();
    QCOMPARE(fx.viewers, (QList<QStringList>{{kViewerTitle, QString(), fileLine(QStringLiteral("1234567890123K"), path)}}));
    QCOMPARE(messages(dialogs), QStringList{message(kSuccess, ui::vbInformation)});
    QCOMPARE(filesIn(fx.out.path()), QStringList{fixture::goldenName()});
    QCOMPARE(fixture::hexDump(fixture::readFile(path)), fixture::hexDump(fixture::goldenBytes()));

    // Back to the first state.
    QVERIFY(f.List1->selectedItems().isEmpty());
    QVERIFY(f.List1->isEnabled());
    QVERIFY(f.DirDestino.isEmpty());
    QVERIFY(f.txtFileName->text().isEmpty());
    QVERIFY(f.Unload());
}

void TestFrmEnvios::twoTaxpayers()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 2);
    fx.taxpayer(QStringLiteral("2222222"), 0);   // listed, but no document: no file
    fx.taxpayer(QStringLiteral("3333333"), 3);
    fx.taxpayer(QStringLiteral("4444444"), 1);   // not selected
    frmEnvios f;
    open(f);
    select(f, {0, 1, 2});
    // A folder that ends in a separator gets no second one.
    setFolder(f, fx.out.path() + QLatin1Char('/'));
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);

    QCOMPARE(fx.viewers, (QList<QStringList>{{kViewerTitle, QString(),
                                               fileLine(QStringLiteral("1111111"), fx.path(QStringLiteral("PI07081111111.TXT"))),
                                               fileLine(QStringLiteral("3333333"), fx.path(QStringLiteral("PI07083333333.TXT")))}}));
    QCOMPARE(filesIn(fx.out.path()), (QStringList{QStringLiteral("PI07081111111.TXT"), QStringLiteral("PI07083333333.TXT")}));
    const QList<QByteArray> lines = fixture::readFile(fx.path(QStringLiteral("PI07083333333.TXT"))).split('\n');
    QCOMPARE(lines.size(), 6);   // five lines and the empty rest after the last line end
    QVERIFY(lines.first().endsWith("000000005\r"));
    QCOMPARE(messages(dialogs), QStringList{message(kSuccess, ui::vbInformation)});
    QVERIFY(f.Unload());
}

void TestFrmEnvios::existingFileReplacedOnSuccess()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 1);
    const QString path = fx.path(QStringLiteral("PI07081111111.TXT"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(500, 'x'));
    }
    frmEnvios f;
    open(f);
    select(f, {0});
    setFolder(f, fx.out.path());
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);
    const QByteArray bytes = fixture::readFile(path);
    QVERIFY(bytes.startsWith("     11111112004090301/07/200431/08/2004     7654321000000003\r\n"));
    QCOMPARE(bytes.count('\n'), 3);
    QCOMPARE(filesIn(fx.out.path()), QStringList{QStringLiteral("PI07081111111.TXT")});
    QVERIFY(f.Unload());
}

void TestFrmEnvios::folderThatTakesNoFile_data()
{
    QTest::addColumn<bool>("plainFile");
    QTest::addColumn<QString>("folder");   // empty: a name in the temporary folder
    QTest::newRow("missing folder") << false << QString();
    QTest::newRow("a plain file") << true << QString();
    // No one, not even the administrator, may create a file there.
    QTest::newRow("a folder that takes no new file") << false << QStringLiteral("/proc");
}

void TestFrmEnvios::folderThatTakesNoFile()
{
    QFETCH(bool, plainFile);
    QFETCH(QString, folder);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 1);
    if (folder.isEmpty())
        folder = fx.path(QStringLiteral("destino"));
    else
        QVERIFY(QFileInfo(folder).isDir());
    if (plainFile) {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    frmEnvios f;
    open(f);
    select(f, {0});
    setFolder(f, folder);
    dialogs.expectMsgBox(kBadFolder, ui::vbOK);
    run(f);
    QCOMPARE(messages(dialogs), QStringList{message(kBadFolder, ui::vbInformation)});
    QVERIFY(fx.viewers.isEmpty());
    QCOMPARE(filesIn(fx.out.path()), plainFile ? QStringList{QStringLiteral("destino")} : QStringList());
    // The run clears the selection and the folder, and leaves the folder box.
    QVERIFY(f.List1->selectedItems().isEmpty());
    QVERIFY(f.DirDestino.isEmpty());
    QCOMPARE(f.txtFileName->text(), folder);
    QVERIFY(f.Unload());
}

void TestFrmEnvios::rowWithoutSupplier()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    const int no = fx.ws.addTaxpayer(QStringLiteral("1111111"), QStringLiteral("Ana"));
    const int enc = fx.ws.addHeader(no, 99);
    fx.ws.addDocument(enc, QStringLiteral("1234567"), QStringLiteral("54"), 10.0);
    fx.ws.addDocument(enc, {{QStringLiteral("Provee"), QVariant()}, {QStringLiteral("Tipo"), QStringLiteral("1")},
                            {QStringLiteral("NoDoc"), QStringLiteral("55")}, {QStringLiteral("Fecha"), QDate(2004, 7, 2)},
                            {QStringLiteral("Gasto"), 9}, {QStringLiteral("Monto"), 5.0}});
    const QString path = fx.path(QStringLiteral("PI07081111111.TXT"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old file\r\n");
    }
    frmEnvios f;
    open(f);
    select(f, {0});
    setFolder(f, fx.out.path());
    const QString failure = QStringLiteral(" No se pudo generar el archivo ") + path
        + QStringLiteral("\r El documento No. 55 no tiene proveedor.");
    dialogs.expectMsgBox(failure, ui::vbOK);
    run(f);
    QCOMPARE(messages(dialogs), QStringList{message(failure, ui::vbCritical)});
    QVERIFY(fx.viewers.isEmpty());
    // The old file stays as it was and no temporary file is left beside it.
    QCOMPARE(filesIn(fx.out.path()), QStringList{QStringLiteral("PI07081111111.TXT")});
    QCOMPARE(fixture::readFile(path), QByteArray("old file\r\n"));
    QVERIFY(f.Unload());
}

void TestFrmEnvios::failureAfterTheTemporaryFile()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 1);
    fx.taxpayer(QStringLiteral("2222222"), 1);
    // A folder in the place of the second file: the temporary file is written, the rename fails.
    const QString blocked = fx.path(QStringLiteral("PI07082222222.TXT"));
    QVERIFY(QDir().mkdir(blocked));
    frmEnvios f;
    open(f);
    select(f, {0, 1});
    setFolder(f, fx.out.path());
    dialogs.expectMsgBox(ui::vbOK);
    run(f);
    QCOMPARE(dialogs.calls().size(), 1);
    // The cause is the user's words, not the system's (" Is a directory").
    QCOMPARE(messages(dialogs), QStringList{failure(blocked, QStringLiteral(" Ya existe un directorio con el nombre del archivo..."))});
    QVERIFY(fx.viewers.isEmpty());
    // The first file stays complete; nothing else is left in the folder.
    QCOMPARE(QDir(fx.out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{QStringLiteral("PI07081111111.TXT"), QStringLiteral("PI07082222222.TXT")}));
    QVERIFY(QFileInfo(blocked).isDir());
    QCOMPARE(fixture::readFile(fx.path(QStringLiteral("PI07081111111.TXT"))).count('\n'), 3);
    // The selection and the folder stay for another try.
    QCOMPARE(f.DirDestino, fx.out.path());
    QCOMPARE(f.List1->selectedItems().size(), 2);
    QVERIFY(f.Unload());
}

void TestFrmEnvios::nitThatIsNoFileName()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("12/34567"), 1);
    frmEnvios f;
    open(f);
    select(f, {0});
    setFolder(f, fx.out.path());
    const QString refusal = QStringLiteral(" El nit 12/34567 no puede formar el nombre de un archivo. Imposible exportar su planilla...");
    dialogs.expectMsgBox(refusal, ui::vbOK);
    run(f);
    QCOMPARE(messages(dialogs), QStringList{message(refusal, ui::vbCritical)});
    QVERIFY(QDir(fx.out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(fx.viewers.isEmpty());
    QVERIFY(f.Unload());
}

void TestFrmEnvios::nitsThatCanNameAFile_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<bool>("fits");
    QTest::newRow("digits and check") << "1234567-8" << true;
    QTest::newRow("check letter") << "123456K" << true;
    QTest::newRow("a blank inside") << "12 34567" << true;
    QTest::newRow("letters beyond ASCII") << "Ñ-1234" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("only blanks") << "   " << false;
    QTest::newRow("slash") << "12/34567" << false;
    QTest::newRow("backslash") << "12\\34567" << false;
    QTest::newRow("drive colon") << "C:1234567" << false;
    QTest::newRow("wildcards") << "1234*?" << false;
    QTest::newRow("quotes and brackets") << "\"12<3>\"" << false;
    QTest::newRow("bar") << "12|34" << false;
    QTest::newRow("tab") << "12\t34" << false;
    QTest::newRow("line break") << "1234\n" << false;
    QTest::newRow("first control character") << QString(QChar(0x01)) + "1234" << false;
    QTest::newRow("last control character") << "1234" + QString(QChar(0x1F)) << false;
}

void TestFrmEnvios::nitsThatCanNameAFile()
{
    QFETCH(QString, nit);
    QFETCH(bool, fits);
    QCOMPARE(envios::nitFitsFileName(nit), fits);
}

void TestFrmEnvios::failureCausesInSpanish_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no space") << ENOSPC << QStringLiteral(" No hay espacio suficiente en el disco...");
    QTest::newRow("quota") << EDQUOT << QStringLiteral(" No hay espacio suficiente en el disco...");
    QTest::newRow("no permission") << EACCES << QStringLiteral(" No tiene permiso para escribir en el directorio...");
    QTest::newRow("not permitted") << EPERM << QStringLiteral(" No tiene permiso para escribir en el directorio...");
    QTest::newRow("a folder in the way") << EISDIR << QStringLiteral(" Ya existe un directorio con el nombre del archivo...");
    QTest::newRow("read-only disk") << EROFS << QStringLiteral(" El disco es de sólo lectura...");
    QTest::newRow("folder gone") << ENOENT << QStringLiteral(" El directorio ya no existe: fue borrado o movido...");
    QTest::newRow("folder replaced") << ENOTDIR << QStringLiteral(" El directorio ya no existe: fue borrado o movido...");
    // What a user does not meet keeps the system's words.
    QTest::newRow("input/output") << EIO << QStringLiteral(" ") + QString::fromLocal8Bit(std::strerror(EIO));
}

void TestFrmEnvios::failureCausesInSpanish()
{
    QFETCH(int, error);
    QFETCH(QString, cause);
    QCOMPARE(envios::writeFailureCause(error), cause);
}

// The disk fills up while the file is written: the user is told so in his words, the older file
// of the same name stays as it was and nothing else is left on the disk.
void TestFrmEnvios::diskFullLeavesTheOlderFile()
{
    SmallDisk disk;
    if (!disk.mounted())
        QSKIP("a small disk of its own cannot be mounted here");
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 40);
    const QString path = disk.path() + QStringLiteral("/PI07081111111.TXT");
    writeFile(path, "old file\r\n");
    disk.fill();
    frmEnvios f;
    open(f);
    select(f, {0});
    setFolder(f, disk.path());
    dialogs.expectMsgBox(ui::vbOK);
    run(f);
    QCOMPARE(messages(dialogs), QStringList{failure(path, QStringLiteral(" No hay espacio suficiente en el disco..."))});
    QVERIFY(fx.viewers.isEmpty());
    QCOMPARE(fixture::readFile(path), QByteArray("old file\r\n"));
    QCOMPARE(allIn(disk.path()), (QStringList{QStringLiteral("PI07081111111.TXT"), QStringLiteral("relleno")}));
    QVERIFY(f.Unload());
}

// A file the user made read-only is not replaced (a rename over it would have turned it into a
// new, writable one): the run stops with the cause, and the file keeps its bytes and its mode.
void TestFrmEnvios::readOnlyFileIsNotReplaced()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 1);
    fx.taxpayer(QStringLiteral("2222222"), 1);
    const QString path = fx.path(QStringLiteral("PI07081111111.TXT"));
    writeFile(path, "protected\r\n");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    frmEnvios f;
    open(f);
    select(f, {0, 1});
    setFolder(f, fx.out.path());
    dialogs.expectMsgBox(ui::vbOK);
    run(f);
    QCOMPARE(messages(dialogs),
             QStringList{failure(path, QStringLiteral(" El archivo ya existe y es de sólo lectura: no fue reemplazado..."))});
    QVERIFY(fx.viewers.isEmpty());
    QCOMPARE(fixture::readFile(path), QByteArray("protected\r\n"));
    QCOMPARE(QFile::permissions(path) & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
             QFileDevice::Permissions());
    // The run stopped there: nothing else was written, no temporary file is left.
    QCOMPARE(allIn(fx.out.path()), QStringList{QStringLiteral("PI07081111111.TXT")});
    QVERIFY(f.Unload());
}

// A run killed while it wrote, or whose folder was moved away under it, left its hidden temporary
// file. The next run in that folder removes such files, but not one a running copy still holds
// (locked while it writes it), nor any other file.
void TestFrmEnvios::leftoverTemporaryFilesRemoved()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 1);
    const QStringList stale{QStringLiteral(".PI07081111111.TXT.k3j2q.tmp"), QStringLiteral(".PI07089999999K.TXT.0a.tmp")};
    const QString held = QStringLiteral(".PI07082222222.TXT.zz91.tmp");
    const QStringList others{QStringLiteral(".PI07081111111.TXT.tmp"), QStringLiteral(".otro.TXT.ab.tmp"), QStringLiteral("notas.tmp"),
                             QStringLiteral("PI07081111111.TXT.k3j2q.tmp")};
    for (const QString& name : stale + others + QStringList{held})
        writeFile(fx.path(name), "     1111111");
    // Another copy of the program is writing this one.
    const int fd = ::open(QFile::encodeName(fx.path(held)).constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    frmEnvios f;
    open(f);
    select(f, {0});
    setFolder(f, fx.out.path());
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);
    ::close(fd);
    QStringList expected = others + QStringList{held, QStringLiteral("PI07081111111.TXT")};
    expected.sort();
    QCOMPARE(allIn(fx.out.path()), expected);
    QCOMPARE(fixture::readFile(fx.path(QStringLiteral("PI07081111111.TXT"))).count('\n'), 3);
    QVERIFY(f.Unload());
}

void TestFrmEnvios::periodOfTheLoad()
{
    // The list, the file's name and its dates belong to the period current at load; the rows must
    // come from that period too, even when another form has changed the current period meanwhile.
    Fixture fx;
    support::ScriptedDialogs dialogs;
    const int no = fx.taxpayer(QStringLiteral("1111111"), 1);
    fx.ws.addPeriod(98, QDate(2004, 9, 1), QDate(2004, 10, 31));
    const int other = fx.ws.addHeader(no, 98);
    for (int d = 1; d <= 3; ++d)
        fx.ws.addDocument(other, QStringLiteral("7654321"), QString::number(100 + d), 1.0);
    frmEnvios f;
    open(f);
    Biblio::gPeriodo = QStringLiteral("98");
    select(f, {0});
    setFolder(f, fx.out.path());
    dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);
    QCOMPARE(filesIn(fx.out.path()), QStringList{QStringLiteral("PI07081111111.TXT")});
    const QByteArray bytes = fixture::readFile(fx.path(QStringLiteral("PI07081111111.TXT")));
    QCOMPARE(bytes.count('\n'), 3);
    QVERIFY(bytes.contains("     123456720040720T"));
    QVERIFY(!bytes.contains("     765432120040720T"));
    QVERIFY(f.Unload());
}

void TestFrmEnvios::diskettes_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("answers");   // to the diskette questions, in order
    QTest::addColumn<int>("written");
    QTest::addColumn<bool>("finished");
    QTest::newRow("A: asks before each later entry") << "A:\\" << QList<int>{0, 1, 2} << QList<int>{ui::vbOK, ui::vbOK} << 3 << true;
    QTest::newRow("Cancel ends the run") << "A:\\" << QList<int>{0, 1, 2} << QList<int>{ui::vbCancel} << 1 << false;
    QTest::newRow("B: asks before the second entry though nothing was written")
        << "B:\\" << QList<int>{1} << QList<int>{ui::vbOK} << 1 << true;
    QTest::newRow("a lower-case drive letter asks nothing") << "a:\\" << QList<int>{0, 1, 2} << QList<int>{} << 3 << true;
}

void TestFrmEnvios::diskettes()
{
    QFETCH(QString, folder);
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, answers);
    QFETCH(int, written);
    QFETCH(bool, finished);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    fx.taxpayer(QStringLiteral("1111111"), 1);
    fx.taxpayer(QStringLiteral("2222222"), 1);
    fx.taxpayer(QStringLiteral("3333333"), 1);
    // A drive path is relative here: the files land in the working folder.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(fx.out.path()));
    frmEnvios f;
    open(f);
    select(f, selected);
    setFolder(f, folder);
    for (const int answer : answers)
        dialogs.expectMsgBox(kDiskette, answer);
    if (finished)
        dialogs.expectMsgBox(kSuccess, ui::vbOK);
    run(f);
    QDir::setCurrent(previous);
    QCOMPARE(filesIn(fx.out.path()).size(), written);
    QCOMPARE(fx.viewers.size(), finished ? 1 : 0);
    if (finished)
        QCOMPARE(fx.viewers.first().size(), 2 + written);
    for (const auto& call : dialogs.calls())
        if (call.prompt == kDiskette)
            QCOMPARE(call.style, ui::vbOKCancel | ui::vbInformation);
    QVERIFY(f.Unload());
}

QTEST_MAIN(TestFrmEnvios)
#include "test_frm_envios.moc"
