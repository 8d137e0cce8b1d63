// The report control: its log, its slots, rendering, its errors and the preview window.
#include "platform/report/report_control.h"
#include "platform/report/report_preview.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

const char* kTemplate = R"(; a small worksheet list
[page]
size = Letter
orientation = portrait
margins = 12

[formulas]
Lugar = Tolvania
Nota = sin nota

[query filas]
SELECT Proveedores.Nombre AS Proveedor, Planilla_Det.NoDoc, Planilla_Det.Fecha, Planilla_Det.Monto
FROM (Planilla_Det INNER JOIN Planilla_Enc ON Planilla_Det.Enc = Planilla_Enc.[No])
     INNER JOIN Proveedores ON Planilla_Det.Provee = Proveedores.Nit
WHERE {seleccion}
ORDER BY Planilla_Det.Secuencia

[query total]
SELECT Count(*) AS Documentos, Sum(Planilla_Det.Monto) AS Total
FROM Planilla_Det INNER JOIN Planilla_Enc ON Planilla_Det.Enc = Planilla_Enc.[No]
WHERE {seleccion}

[format]
Monto = ###,###,##0.00
Total = ###,###,##0.00
Fecha = dd/mm/yyyy

[body]
<html><body>
<p>Lugar: {{Lugar}}</p><p>Nota: {{Nota}}</p>
<table>
{{#filas}}<tr><td>{{Proveedor}}</td><td>{{NoDoc}}</td><td>{{Fecha}}</td><td>{{Monto}}</td></tr>
{{/filas}}{{^filas}}<tr><td>Sin documentos</td></tr>{{/filas}}
</table>
{{#total}}<p>Documentos: {{Documentos}} Total: {{Total}}</p>{{/total}}
</body></html>
)";

} // namespace

class TestReportControl : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<support::TestDatabase> db_;
    QTemporaryDir dir_;
    QString templatePath_;

    // A control set up for the small template, selection on header 1.
    void setUp(report::ReportControl& control)
    {
        control.setReportFileName(templatePath_);
        control.setDataFiles(0, db_->path());
        control.setDataFiles(1, db_->path());
        control.setConnect(QStringLiteral(";PWD=MIRVOSK"));
        control.setSelectionFormula(QStringLiteral("{Planilla_Enc.No} = 1"));
    }

    QString writeFile(const QString& name, const QByteArray& content)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }

private slots:
    void init()
    {
        db_ = std::make_unique<support::TestDatabase>();
        db_->exec(QStringLiteral(
            "INSERT INTO Contribuyentes (\"No\", Nit, Nombre) VALUES (1, '1234567', 'Ana Pérez');"
            "INSERT INTO Proveedores (Nit, Nombre) VALUES ('111', 'Gasolinera <Sur>'), ('222', 'Librería O''Hara');"
            "INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, 3), (2, 1, 4);"
            "INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc, Fecha, Gasto, Monto) VALUES "
            "(1, '111', '0', 'A-1', 37100, 1, 1234.5), (1, '222', '0', 'B-2', 37101, 2, 0.455),"
            "(2, '111', '0', 'C-3', 37500, 1, 99);"));
        templatePath_ = writeFile(QStringLiteral("lista.rpt"), kTemplate);
    }

    void logKeepsTheOrderOfTheCalls()
    {
        support::RecordingPresenter shown;
        report::ReportControl control(QStringLiteral("rptImprime"));
        control.setDiscardSavedData(true);
        control.setFormulas(2, QStringLiteral("FPresentaD1 = '0'"));
        setUp(control);
        control.setWindowTitle(QStringLiteral(" Planilla"));
        control.setWindowState(2);
        control.setSortFields(0, QString());
        control.replaceSelectionFormula(QStringLiteral("{Planilla_Enc.No} = 2"));
        QVERIFY(control.start());
        const QStringList expected{
            QStringLiteral("DiscardSavedData=True"),
            QStringLiteral("Formulas(2)=FPresentaD1 = '0'"),
            QStringLiteral("ReportFileName=") + templatePath_,
            QStringLiteral("DataFiles(0)=") + db_->path(),
            QStringLiteral("DataFiles(1)=") + db_->path(),
            QStringLiteral("Connect=;PWD=MIRVOSK"),
            QStringLiteral("SelectionFormula={Planilla_Enc.No} = 1"),
            QStringLiteral("WindowTitle= Planilla"),
            QStringLiteral("WindowState=2"),
            QStringLiteral("SortFields(0)="),
            QStringLiteral("ReplaceSelectionFormula={Planilla_Enc.No} = 2"),
            QStringLiteral("Action=0"),
        };
        QCOMPARE(control.logLines(), expected);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.last().control, QStringLiteral("rptImprime"));
        QCOMPARE(shown.last().title, QStringLiteral(" Planilla"));
        QCOMPARE(shown.last().windowState, 2);
        QVERIFY(shown.last().text.contains(QStringLiteral("C-3")));
        QVERIFY(!shown.last().text.contains(QStringLiteral("A-1")));
    }

    void rendersRowsTotalsAndFormulas()
    {
        report::ReportControl control;
        setUp(control);
        control.setFormulas(5, QStringLiteral("Lugar = 'San José'"));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        const QString text = r->toPlainText();
        QVERIFY(text.contains(QStringLiteral("Lugar: San José")));
        QVERIFY(text.contains(QStringLiteral("Nota: sin nota")));   // a slot never set keeps the default
        QVERIFY(text.contains(QStringLiteral("Gasolinera <Sur>")));
        QVERIFY(text.contains(QStringLiteral("Librería O'Hara")));
        QVERIFY(text.contains(QStringLiteral("1,234.50")));
        QVERIFY(text.contains(QStringLiteral("0.46")));              // half away from zero
        QVERIFY(text.contains(QStringLiteral("28/07/2001")));
        QVERIFY(text.contains(QStringLiteral("Documentos: 2 Total: 1,234.96")));
        QVERIFY(!text.contains(QStringLiteral("C-3")));
        QVERIFY(!r->html.contains(QStringLiteral("<Sur>")));         // escaped, never markup
    }

    void slotsAreKeptBetweenPrints()
    {
        support::RecordingPresenter shown;
        report::ReportControl control;
        setUp(control);
        control.setFormulas(1, QStringLiteral("Nota = 'primera'"));
        QVERIFY(control.start());
        control.setFormulas(5, QStringLiteral("Lugar = 'Norte'"));
        QVERIFY(control.start());
        QVERIFY(shown.last().text.contains(QStringLiteral("Nota: primera")));
        QVERIFY(shown.last().text.contains(QStringLiteral("Lugar: Norte")));
        QVERIFY(shown.shown().first().text.contains(QStringLiteral("Lugar: Tolvania")));
    }

    void formulaValuesArePrintedAsHandedOver_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("printed");
        QTest::newRow("apostrophe") << "Lugar = 'D'Arcy'" << "Lugar: D'Arcy";
        QTest::newRow("quotes at the end") << "Lugar = 'x''" << "Lugar: x'";
        QTest::newRow("markup") << "Lugar = '<b>Sur</b> & Co'" << "Lugar: <b>Sur</b> & Co";
        QTest::newRow("no blanks") << "Lugar='Centro'" << "Lugar: Centro";
        QTest::newRow("empty") << "Lugar = ''" << "Lugar: \n";
        QTest::newRow("equals inside") << "Lugar = 'a = 'b''" << "Lugar: a = 'b'";
        QTest::newRow("figures untouched") << "Lugar = '1234.5000'" << "Lugar: 1234.5000";
    }

    void formulaValuesArePrintedAsHandedOver()
    {
        QFETCH(QString, formula);
        QFETCH(QString, printed);
        report::ReportControl control;
        setUp(control);
        control.setFormulas(1, formula);
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QVERIFY2(r->toPlainText().contains(printed), qPrintable(r->toPlainText()));
        QVERIFY(!r->html.contains(QStringLiteral("<b>")));
    }

    void parsesSelections_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("sql");
        QTest::newRow("one") << "{Planilla_Enc.No} = 12" << "([Planilla_Enc].[No] = 12)";
        QTest::newRow("no blanks") << "{Planilla_Enc.No}=12" << "([Planilla_Enc].[No] = 12)";
        QTest::newRow("And") << "{Planilla_Enc.Contribuyente} = 3 And {Planilla_Enc.Periodo} = 4"
                             << "([Planilla_Enc].[Contribuyente] = 3 AND [Planilla_Enc].[Periodo] = 4)";
        QTest::newRow("lower and") << "{Planilla_Enc.Contribuyente} = 3 and {Planilla_Enc.Periodo}= 4"
                                   << "([Planilla_Enc].[Contribuyente] = 3 AND [Planilla_Enc].[Periodo] = 4)";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no number") << "{Planilla_Enc.No} = " << "";
        QTest::newRow("period missing") << "{Planilla_Enc.Contribuyente} = 3 And {Planilla_Enc.Periodo} = " << "";
        QTest::newRow("text") << "{Planilla_Enc.No} = '1'" << "";
        QTest::newRow("decimal") << "{Planilla_Enc.No} = 1.5" << "";
        QTest::newRow("injection") << "{Planilla_Enc.No} = 1 Or 1=1" << "";
        QTest::newRow("statement") << "{Planilla_Enc.No} = 1; DROP TABLE Gastos" << "";
        QTest::newRow("bad name") << "{Planilla_Enc.No]} = 1" << "";
        QTest::newRow("Or") << "{Planilla_Enc.No} = 1 Or {Planilla_Enc.No} = 2" << "";
    }

    void parsesSelections()
    {
        QFETCH(QString, formula);
        QFETCH(QString, sql);
        const auto terms = report::parseSelection(formula);
        QCOMPARE(terms.has_value(), !sql.isEmpty());
        if (terms)
            QCOMPARE(report::selectionSql(*terms), sql);
    }

    void failuresAreReportedOnceAndPrintNothing_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("cause");
        QTest::newRow("no template") << "nofile" << "no se indicó el archivo del reporte";
        QTest::newRow("missing template") << "missing" << "el archivo no existe";
        QTest::newRow("unreadable template") << "folder" << "no se puede leer el archivo";
        QTest::newRow("broken template") << "broken" << "la plantilla no es válida";
        QTest::newRow("no database") << "nodb" << "no se indicó la base de datos";
        QTest::newRow("missing database") << "missingdb" << "no se puede abrir la base de datos";
        QTest::newRow("wrong password") << "password" << "no se puede abrir la base de datos";
        QTest::newRow("no selection") << "noselection" << "falta la selección de registros";
        QTest::newRow("bad selection") << "badselection" << "la selección de registros no es válida";
        QTest::newRow("bad formula") << "badformula" << "la fórmula 3 no es válida";
        QTest::newRow("bad query") << "badquery" << "no se pueden leer los datos";
    }

    void failuresAreReportedOnceAndPrintNothing()
    {
        QFETCH(QString, setup);
        QFETCH(QString, cause);
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        report::ReportControl control;
        setUp(control);
        if (setup == QLatin1String("nofile"))
            control.setReportFileName(QString());
        else if (setup == QLatin1String("missing"))
            control.setReportFileName(dir_.filePath(QStringLiteral("rep404.rpt")));
        else if (setup == QLatin1String("folder"))
            control.setReportFileName(dir_.path());
        else if (setup == QLatin1String("broken"))
            control.setReportFileName(writeFile(QStringLiteral("broken.rpt"), "[body]\n{{#filas}}sin cierre\n"));
        else if (setup == QLatin1String("nodb"))
            control.setDataFiles(0, QString());
        else if (setup == QLatin1String("missingdb"))
            control.setDataFiles(0, dir_.filePath(QStringLiteral("otra.mdb")));
        else if (setup == QLatin1String("password"))
            control.setConnect(QStringLiteral(";PWD=OTRA"));
        else if (setup == QLatin1String("noselection"))
            control.setSelectionFormula(QString());
        else if (setup == QLatin1String("badselection"))
            control.setSelectionFormula(QStringLiteral("{Planilla_Enc.Contribuyente} = 1 And {Planilla_Enc.Periodo} = "));
        else if (setup == QLatin1String("badformula"))
            control.setFormulas(3, QStringLiteral("Lugar = Tolvania"));
        else if (setup == QLatin1String("badquery"))
            control.setReportFileName(writeFile(QStringLiteral("q.rpt"), "[query x]\nSELECT Nada FROM Ninguna\n[body]\n{{#x}}{{/x}}\n"));
        const QString fileName = QFileInfo(control.reportFileName()).fileName();
        const QString prefix = QStringLiteral("No se puede imprimir el reporte \"%1\": %2").arg(fileName, cause);
        dialogs.expectMsgBox(ui::vbOK);
        QVERIFY(!control.start());
        QCOMPARE(dialogs.calls().size(), 1);
        QVERIFY2(dialogs.calls().first().prompt.startsWith(prefix), qPrintable(dialogs.calls().first().prompt));
        QVERIFY(dialogs.calls().first().prompt.endsWith(QLatin1Char('.')));
        QCOMPARE(dialogs.calls().first().style, ui::vbCritical);
        QCOMPARE(control.lastError(), dialogs.calls().first().prompt);
        QCOMPARE(shown.count(), 0);
    }

    void rowsAreKnownOnlyWhereTheBodyMadeThem_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("known");
        QTest::newRow("rows of their own values")
            << "<table>{{#filas}}<tr><td>{{NoDoc}}</td><td>{{Monto}}</td></tr>{{/filas}}</table>" << 2;
        // Each row rendered alone lacks the value from outside its list: that run is nowhere.
        QTest::newRow("rows that show a value from outside their list")
            << "<table>{{#filas}}<tr><td>{{Lugar}}</td><td>{{NoDoc}}</td></tr>{{/filas}}</table>" << 0;
        // Another list prints the very same rows: which run is whose cannot be told.
        QTest::newRow("the same rows twice")
            << "<table>{{#copia}}<tr><td>{{NoDoc}}</td></tr>{{/copia}}</table>"
               "<table>{{#filas}}<tr><td>{{NoDoc}}</td></tr>{{/filas}}</table>" << 0;
        // Rows that show nothing of their own, beside a third row just like them: the run of two
        // is found at two places, one row apart, and which two rows are the list's cannot be told.
        QTest::newRow("two rows alike, then a third like them")
            << "<p>{{#copia}}{{NoDoc}} {{/copia}}</p>"
               "<table>{{#filas}}<tr><td>igual</td></tr>{{/filas}}<tr><td>igual</td></tr></table>" << 0;
        QTest::newRow("a row, then two rows like it")
            << "<p>{{#copia}}{{NoDoc}} {{/copia}}</p>"
               "<table><tr><td>igual</td></tr>{{#filas}}<tr><td>igual</td></tr>{{/filas}}</table>" << 0;
    }

    // The rendered page says where the rows of its longest list sit only when they are exactly
    // the text the body made there.
    void rowsAreKnownOnlyWhereTheBodyMadeThem()
    {
        QFETCH(QString, rows);
        QFETCH(int, known);
        const QString query = QStringLiteral("SELECT Planilla_Det.NoDoc, Planilla_Det.Monto FROM Planilla_Det INNER JOIN Planilla_Enc "
                                             "ON Planilla_Det.Enc = Planilla_Enc.[No] WHERE {seleccion} ORDER BY Planilla_Det.Secuencia\n");
        const QString text = QStringLiteral("[formulas]\nLugar = Tolvania\n[query filas]\n") + query
            + QStringLiteral("[query copia]\n") + query + QStringLiteral("[body]\n<html><body>") + rows
            + QStringLiteral("</body></html>\n");
        report::ReportControl control;
        setUp(control);
        control.setReportFileName(writeFile(QStringLiteral("filas.rpt"), text.toUtf8()));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QVERIFY(r->toPlainText().contains(QStringLiteral("B-2")));
        QCOMPARE(r->rowStarts.size(), known);
        for (int i = 0; i < known; ++i) {
            const qsizetype end = i + 1 < known ? r->rowStarts.at(i + 1) : r->rowsEnd;
            QVERIFY(r->html.mid(r->rowStarts.at(i), end - r->rowStarts.at(i)).startsWith(QStringLiteral("<tr><td>")));
        }
    }

    void templateWithoutQueriesNeedsNoDatabase()
    {
        report::ReportControl control;
        control.setReportFileName(writeFile(QStringLiteral("f.rpt"), "[formulas]\nA = uno\n[body]\n<p>{{A}}</p>\n"));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QCOMPARE(r->toPlainText().trimmed(), QStringLiteral("uno"));
    }

    void backslashPathsAreRead()
    {
        report::ReportControl control;
        setUp(control);
        QString windowsStyle = templatePath_;
        windowsStyle.replace(QLatin1Char('/'), QLatin1Char('\\'));
        control.setReportFileName(windowsStyle);
        QString cause;
        QVERIFY2(control.render(&cause), qPrintable(cause));
    }

    void pdfShowsRowsAndTotals()
    {
        if (!support::canReadPdfText())
            QSKIP("pdftotext is not installed (scripts/setup installs poppler-utils)");
        report::ReportControl control;
        setUp(control);
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        const QString pdf = dir_.filePath(QStringLiteral("lista.pdf"));
        QVERIFY2(r->writePdf(pdf, &cause), qPrintable(cause));
        const std::optional<QString> read = support::pdfText(pdf);
        QVERIFY(read);
        const QString text = *read;
        QVERIFY2(text.contains(QStringLiteral("A-1")) && text.contains(QStringLiteral("B-2")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("1,234.96")));
        QVERIFY(text.contains(QStringLiteral("Librería O'Hara")));
    }

    void writePdfRefusesAFolderItCannotWrite()
    {
        report::RenderedReport r;
        r.html = QStringLiteral("<p>x</p>");
        QString cause;
        QVERIFY(!r.writePdf(dir_.filePath(QStringLiteral("no/such/folder/x.pdf")), &cause));
        QVERIFY(cause.startsWith(QStringLiteral("no se puede escribir")));
    }

    void previewPagesAndExport()
    {
        report::RenderedReport r;
        r.title = QStringLiteral(" Estadística");
        QString body;
        for (int i = 1; i <= 300; ++i)
            body += QStringLiteral("<p>Fila %1</p>").arg(i);
        r.html = body;
        r.layout = QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                               QPageLayout::Millimeter);
        report::ReportPreview preview(r);
        preview.setAttribute(Qt::WA_DeleteOnClose, false);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(preview.windowTitle(), QStringLiteral(" Estadística"));
        QVERIFY(preview.pageCount() > 2);
        QCOMPARE(preview.currentPage(), 1);
        preview.nextPage();
        QCOMPARE(preview.currentPage(), 2);
        preview.lastPage();
        QCOMPARE(preview.currentPage(), preview.pageCount());
        preview.nextPage();
        QCOMPARE(preview.currentPage(), preview.pageCount());
        preview.firstPage();
        preview.previousPage();
        QCOMPARE(preview.currentPage(), 1);
        const qreal zoom = preview.zoomFactor();
        preview.zoomIn();
        QVERIFY(preview.zoomFactor() > zoom);
        QVERIFY(preview.findChild<QAction*>(QStringLiteral("actImprimir")));

        support::ScriptedDialogs dialogs;
        const QString target = dir_.filePath(QStringLiteral("salida"));
        dialogs.expectSaveFile(target).expectSaveFile(QString());
        QVERIFY(preview.exportPdf());
        QVERIFY(QFileInfo(target + QStringLiteral(".pdf")).size() > 0);
        QVERIFY(!preview.exportPdf());   // cancelled
        QCOMPARE(dialogs.calls().first().kind, support::ScriptedDialogs::Kind::SaveFile);
        QCOMPARE(dialogs.calls().first().prompt, QStringLiteral("Exportar a PDF"));
    }

    // "Exportar a PDF" offers the report's own name in the folder a PDF was last written to (the
    // user's documents the first time), and the status line then says where the file went.
    void pdfIsOfferedUnderItsNameAndSaysWhereItWent()
    {
        support::TempSettings settings;
        report::RenderedReport r;
        r.html = QStringLiteral("<p>Planilla</p>");
        r.fileName = QStringLiteral("planilla_1234567_2002-07");
        report::ReportPreview preview(r);
        preview.setAttribute(Qt::WA_DeleteOnClose, false);
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString first = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        QCOMPARE(QDir::fromNativeSeparators(report::pdfFolder()), first);

        support::ScriptedDialogs dialogs;
        const QString target = dir_.filePath(QStringLiteral("elegido.pdf"));
        dialogs.expectSaveFile(target).expectSaveFile(QString());
        QVERIFY(preview.exportPdf());
        const ui::OpenFileOptions offered = dialogs.calls().at(0).openFile;
        QCOMPARE(QDir::fromNativeSeparators(offered.fileName), QDir(first).filePath(QStringLiteral("planilla_1234567_2002-07.pdf")));
        QCOMPARE(QDir::fromNativeSeparators(offered.initialFolder), first);
        QCOMPARE(preview.statusText(), QStringLiteral("PDF guardado en %1").arg(QDir::toNativeSeparators(target)));

        // The next export starts where this one went.
        QVERIFY(!preview.exportPdf());
        QCOMPARE(QDir::fromNativeSeparators(dialogs.calls().at(1).openFile.fileName),
                 QDir(dir_.path()).filePath(QStringLiteral("planilla_1234567_2002-07.pdf")));

        // A report without a name of its own is offered as "reporte.pdf".
        report::RenderedReport plain;
        plain.html = QStringLiteral("<p>x</p>");
        report::ReportPreview other(plain);
        other.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(QFileInfo(other.suggestedPdfPath()).fileName(), QStringLiteral("reporte.pdf"));
    }
};

QTEST_MAIN(TestReportControl)
#include "test_report_control.moc"
