// The list viewer and the licence command: a new modal window each time, the file read line by
// line (a line ends at CR or CR LF, not at a lone LF), the missing file.
#include "core/frm_reporte.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/ui/dialogs.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Viewing {
    QPointer<frmReporte> viewer;
    QString caption;
    QStringList items;
    bool modal = false;
};

// Records what each viewer shows and closes it with "&Ok".
support::ScopedModalRunner recordingRunner(QList<Viewing>& seen)
{
    return support::ScopedModalRunner([&seen](ui::Form& form) {
        auto* viewer = qobject_cast<frmReporte*>(&form);
        QVERIFY(viewer);
        Viewing v;
        v.viewer = viewer;
        v.caption = viewer->windowTitle();
        v.modal = viewer->isModal();
        for (int i = 0; i < viewer->Lista->count(); ++i)
            v.items << viewer->Lista->item(i)->text();
        seen << v;
        QTest::mouseClick(viewer->cmdOk, Qt::LeftButton);
        QVERIFY(!viewer->isLoaded());
    });
}

} // namespace

class TestFrmReporte : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void designAndClosing();
    void licenceLines_data();
    void licenceLines();
    void licenceFromTheMenu();
    void eachUseIsANewWindow();
    void missingLicence();

private:
    void writeLicence(const QByteArray& bytes);
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestFrmReporte::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    sys::setAppPath(dir_->path());
}

void TestFrmReporte::cleanup()
{
    sys::setAppPath(QString());
    dir_.reset();
}

void TestFrmReporte::writeLicence(const QByteArray& bytes)
{
    QFile file(dir_->filePath(QStringLiteral("licencia.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestFrmReporte::designAndClosing()
{
    frmReporte viewer;
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Archivos Generados..."));
    QCOMPARE(viewer.Lista->objectName(), QStringLiteral("Lista"));
    QCOMPARE(viewer.cmdOk->objectName(), QStringLiteral("cmdOk"));
    QCOMPARE(viewer.cmdOk->text(), QStringLiteral("&Ok"));

    // "&Ok" and the window's frame both unload it, and control returns to the caller.
    int runs = 0;
    support::ScopedModalRunner runner([&runs](ui::Form& form) {
        ++runs;
        if (runs == 1)
            static_cast<frmReporte&>(form).cmdOk->click();
        else
            form.close();
    });
    viewer.showModal();
    QVERIFY(!viewer.isLoaded());
    viewer.showModal();
    QVERIFY(!viewer.isLoaded());
    QCOMPARE(runs, 2);
}

void TestFrmReporte::licenceLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("three lines, CR LF") << QByteArray("uno\r\ndos\r\ntres\r\n") << QStringList{"uno", "dos", "tres"};
    QTest::newRow("last line without an end") << QByteArray("uno\r\ndos") << QStringList{"uno", "dos"};
    QTest::newRow("empty lines") << QByteArray("uno\r\n\r\n\r\ndos\r\n") << QStringList{"uno", "", "", "dos"};
    QTest::newRow("empty line at the end") << QByteArray("uno\r\n\r\n") << QStringList{"uno", ""};
    QTest::newRow("CR alone ends a line") << QByteArray("uno\rdos\r") << QStringList{"uno", "dos"};
    QTest::newRow("LF alone stays in its line") << QByteArray("uno\ndos\r\ntres\n") << QStringList{"uno\ndos", "tres\n"};
    QTest::newRow("LF after an empty line end") << QByteArray("a\r\n\nb") << QStringList{"a", "\nb"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("UTF-8") << QByteArray("Licencia de uso\r\nVersión año ñandú") << QStringList{"Licencia de uso", "Versión año ñandú"};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFuno\r\n") << QStringList{"uno"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestFrmReporte::licenceLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(::licenceLines(bytes), lines);

    // The command shows exactly those lines, one item each, under its caption.
    writeLicence(bytes);
    support::ScriptedDialogs dialogs;
    QList<Viewing> seen;
    const auto runner = recordingRunner(seen);
    QVERIFY(MuestraLicencia());
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().items, lines);
    QCOMPARE(seen.first().caption, QStringLiteral(" Licencia(EULA) Planilla EKO(ZAL)..."));
    QVERIFY(seen.first().modal);
}

void TestFrmReporte::licenceFromTheMenu()
{
    writeLicence("CONTRATO\r\n\r\nTexto.\r\n");
    support::ScriptedDialogs dialogs;
    MDIMenu w;
    w.show();
    QList<Viewing> seen;
    const auto runner = recordingRunner(seen);
    w.mn00903->trigger();
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().items, (QStringList{"CONTRATO", "", "Texto."}));
    QVERIFY(w.isEnabled());
    QVERIFY(w.mdiArea->subWindowList().isEmpty());   // the viewer is not a child window
}

void TestFrmReporte::eachUseIsANewWindow()
{
    writeLicence("uno\r\ndos\r\n");
    support::ScriptedDialogs dialogs;
    QList<Viewing> seen;
    const auto runner = recordingRunner(seen);
    QVERIFY(MuestraLicencia());
    QVERIFY(seen.at(0).viewer.isNull());   // released once closed
    QVERIFY(MuestraLicencia());
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen.at(1).viewer.isNull());
    QCOMPARE(seen.at(0).items, (QStringList{"uno", "dos"}));
    QCOMPARE(seen.at(1).items, (QStringList{"uno", "dos"}));   // read whole again
}

void TestFrmReporte::missingLicence()
{
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral(" Archivo de licencia no encontrado..."), ui::vbOK);
    dialogs.expectMsgBox(QStringLiteral(" Archivo de licencia no encontrado..."), ui::vbOK);
    QList<Viewing> seen;
    const auto runner = recordingRunner(seen);
    QVERIFY(!MuestraLicencia());
    // A folder of that name is no file either.
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("licencia.txt")));
    QVERIFY(!MuestraLicencia());
    QVERIFY(seen.isEmpty());
    QCOMPARE(dialogs.calls().size(), 2);
    for (const auto& call : dialogs.calls()) {
        QCOMPARE(call.style, ui::vbInformation);
        QCOMPARE(call.title, QStringLiteral(" ZAL..."));
    }
}

QTEST_MAIN(TestFrmReporte)
#include "test_frm_reporte.moc"
