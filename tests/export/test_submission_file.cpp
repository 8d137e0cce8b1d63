// The submission file writer: padding, amounts, kinds, names, the code page, the three kinds of
// line, rows it cannot write, and the whole file against the hand-made golden file.
#include "export/submission_file.h"
#include "export/worksheet_fixture.h"

#include <QtTest>

using submission::Document;
using submission::Header;

namespace {

Document document(const QVariant& serie, const QVariant& noDoc, const QVariant& descripcion, const QVariant& monto)
{
    Document d;
    d.secuencia = 7;
    d.provee = QStringLiteral("1234567");
    d.disTipo = QStringLiteral("F");
    d.serie = serie;
    d.noDoc = noDoc;
    d.fecha = QDate(2004, 7, 15);
    d.monto = monto;
    d.descripcion = descripcion;
    return d;
}

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

Header header(const QString& nit, const QVariant& nPat)
{
    return Header{nit, nPat, QStringLiteral("01/07/2004"), QStringLiteral("31/08/2004")};
}

} // namespace

class TestSubmissionFile : public QObject {
    Q_OBJECT
private slots:
    void padLeft_data();
    void padLeft();
    void amountInItsField_data();
    void amountInItsField();
    void documentKind_data();
    void documentKind();
    void fileName();
    void windows1252_data();
    void windows1252();
    void headerLine_data();
    void headerLine();
    void detailLine_data();
    void detailLine();
    void rowsThatCannotBeWritten_data();
    void rowsThatCannotBeWritten();
    void trailerTakesTheDateAgain();
    void goldenFile();
};

void TestSubmissionFile::padLeft_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QChar>("fill");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks") << "1234567" << 12 << QChar(' ') << "     1234567";
    QTest::newRow("zeros before a minus") << "-12.50" << 14 << QChar('0') << "00000000-12.50";
    QTest::newRow("exact width") << "123456789012" << 12 << QChar(' ') << "123456789012";
    QTest::newRow("longer is kept whole") << "1234567890123K" << 12 << QChar(' ') << "1234567890123K";
    QTest::newRow("empty") << "" << 5 << QChar(' ') << "     ";
}

void TestSubmissionFile::padLeft()
{
    QFETCH(QString, value);
    QFETCH(int, width);
    QFETCH(QChar, fill);
    QFETCH(QString, expected);
    QCOMPARE(submission::padLeft(value, width, fill), expected);
}

void TestSubmissionFile::amountInItsField_data()
{
    QTest::addColumn<QVariant>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1234.5") << QVariant(1234.5) << "00000001234.50";
    QTest::newRow("0.456 rounds up") << QVariant(0.456) << "00000000000.46";
    QTest::newRow("-12.5") << QVariant(-12.5) << "00000000-12.50";
    QTest::newRow("2.675 rounds on its decimal value") << QVariant(2.675) << "00000000002.68";
    QTest::newRow("zero") << QVariant(0.0) << "00000000000.00";
    QTest::newRow("no thousands separator") << QVariant(1234567.891) << "00001234567.89";
    QTest::newRow("1e11 takes 15 characters") << QVariant(100000000000.0) << "100000000000.00";
}

void TestSubmissionFile::amountInItsField()
{
    QFETCH(QVariant, amount);
    QFETCH(QString, expected);
    QCOMPARE(submission::padLeft(submission::amountText(amount), 14, QLatin1Char('0')), expected);
}

void TestSubmissionFile::documentKind_data()
{
    QTest::addColumn<QVariant>("tipo");
    QTest::addColumn<QString>("kind");
    QTest::newRow("0 invoice") << QVariant(QStringLiteral("0")) << "F";
    QTest::newRow("1 ticket") << QVariant(QStringLiteral("1")) << "T";
    QTest::newRow("7") << QVariant(QStringLiteral("7")) << "I";
    QTest::newRow("11") << QVariant(QStringLiteral("11")) << "I";
    QTest::newRow("missing") << QVariant() << "I";
}

void TestSubmissionFile::documentKind()
{
    QFETCH(QVariant, tipo);
    QFETCH(QString, kind);
    QCOMPARE(submission::documentKind(tipo), kind);
}

void TestSubmissionFile::fileName()
{
    QCOMPARE(submission::fileName(header(QStringLiteral("1234567"), QVariant())), QStringLiteral("PI07081234567.TXT"));
    // The tax id goes in as stored: a trailing blank stays, a "K" stays upper case.
    QCOMPARE(submission::fileName(header(QStringLiteral("765432K "), QVariant())), QStringLiteral("PI0708765432K .TXT"));
}

void TestSubmissionFile::windows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "Libros 12" << QByteArray("Libros 12");
    QTest::newRow("o acute is one byte") << QStringLiteral("Aviación") << QByteArray("Aviaci\xf3n");
    QTest::newRow("n tilde, capital") << QStringLiteral("ÑñÁ") << QByteArray("\xd1\xf1\xc1");
    QTest::newRow("signs and quotes of 0x80 to 0x9f") << QStringLiteral("€“”") << QByteArray("\x80\x93\x94");
    QTest::newRow("outside the code page") << QStringLiteral("Ωx") << QByteArray("?x");
    QTest::newRow("a character beyond 16 bits is one ?") << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("C1 control") << QString(QChar(0x81)) << QByteArray("?");
}

void TestSubmissionFile::windows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(submission::toWindows1252(text), bytes);
}

void TestSubmissionFile::headerLine_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QVariant>("nPat");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every value fits: 61 characters")
        << "1234567" << QVariant(QStringLiteral("7654321")) << 5
        << "     12345672004090301/07/200431/08/2004     7654321000000005";
    QTest::newRow("14-character tax id: 63 characters")
        << "1234567890123K" << QVariant(QStringLiteral("7654321")) << 5
        << "1234567890123K2004090301/07/200431/08/2004     7654321000000005";
    QTest::newRow("no employer: 12 blanks")
        << "1234567" << QVariant() << 1002
        << "     12345672004090301/07/200431/08/2004            000001002";
}

void TestSubmissionFile::headerLine()
{
    QFETCH(QString, nit);
    QFETCH(QVariant, nPat);
    QFETCH(int, lines);
    QFETCH(QString, expected);
    QCOMPARE(submission::headerLine(header(nit, nPat), QDate(2004, 9, 3), lines), expected);
}

void TestSubmissionFile::detailLine_data()
{
    const QString aviacion = QStringLiteral("Gasolina de Aviación");
    QTest::addColumn<Document>("doc");
    QTest::addColumn<QString>("expected");
    const QString supplierAndDate = QStringLiteral("     123456720040715F");
    QTest::newRow("every value fits: 85 characters")
        << document(QStringLiteral("A"), QStringLiteral("1001"), aviacion, 1234.5)
        << supplierAndDate + blanks(4) + "A" + blanks(11) + "1001" + blanks(10) + aviacion + "00000001234.50";
    QTest::newRow("missing series: 5 blanks")
        << document(QVariant(), QStringLiteral("55"), QStringLiteral("Libros"), 0.456)
        << supplierAndDate + blanks(5) + blanks(13) + "55" + blanks(24) + "Libros" + "00000000000.46";
    QTest::newRow("7-character series written whole: 87 characters")
        << document(QStringLiteral("ABCDEFG"), QStringLiteral("1001"), QStringLiteral("Libros"), -12.5)
        << supplierAndDate + "ABCDEFG" + blanks(11) + "1001" + blanks(24) + "Libros" + "00000000-12.50";
    QTest::newRow("40-character description cut at a blank")
        << document(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("Servicio anual de fumigación. Finca Lago"), 1.0)
        << supplierAndDate + blanks(4) + "A" + blanks(14) + "1" + blanks(1) + QStringLiteral("Servicio anual de fumigación.")
            + "00000000001.00";
    // Cut after its 30th character, which is no blank: 30 characters, none of them padding.
    QTest::newRow("35-character description cut to 30")
        << document(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("Mantenimiento de aire acondicionado"), 1.0)
        << supplierAndDate + blanks(4) + "A" + blanks(14) + "1" + QStringLiteral("Mantenimiento de aire acondici")
            + "00000000001.00";
    QTest::newRow("30-character description whole")
        << document(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("Reparación de equipo de cómput"), 1.0)
        << supplierAndDate + blanks(4) + "A" + blanks(14) + "1" + QStringLiteral("Reparación de equipo de cómput")
            + "00000000001.00";
}

void TestSubmissionFile::detailLine()
{
    QFETCH(Document, doc);
    QFETCH(QString, expected);
    const QString line = submission::detailLine(doc);
    QCOMPARE(line, expected);
    QCOMPARE(line.size(), expected.size());
    // The document number always ends 15 characters after the series, wherever the series ends.
    const int serieLength = qMax(5, int(doc.serie.toString().size()));
    QCOMPARE(line.mid(21 + serieLength, 15).trimmed(), doc.noDoc.toString());
}

void TestSubmissionFile::rowsThatCannotBeWritten_data()
{
    QTest::addColumn<Document>("doc");
    QTest::addColumn<QString>("cause");
    Document noSupplier = document(QStringLiteral("A"), QStringLiteral("1001"), QStringLiteral("Libros"), 1.0);
    noSupplier.provee = QVariant();
    QTest::newRow("supplier") << noSupplier << " El documento No. 1001 serie A no tiene proveedor.";
    QTest::newRow("number") << document(QVariant(), QVariant(), QStringLiteral("Libros"), 1.0)
                            << " El documento con secuencia 7 no tiene número.";
    QTest::newRow("description") << document(QVariant(), QStringLiteral("55"), QVariant(), 1.0)
                                 << " El documento No. 55 no tiene descripción de gasto.";
}

void TestSubmissionFile::rowsThatCannotBeWritten()
{
    QFETCH(Document, doc);
    QFETCH(QString, cause);
    try {
        submission::detailLine(doc);
        QFAIL("the row was written");
    } catch (const submission::RowError& e) {
        QCOMPARE(e.cause(), cause);
    }
}

void TestSubmissionFile::trailerTakesTheDateAgain()
{
    // Midnight passes between the header and the trailer.
    QList<QDate> dates{QDate(2004, 9, 3), QDate(2004, 9, 4)};
    const QByteArray bytes = submission::fileBytes(header(QStringLiteral("1234567"), QVariant()), {},
                                                   [&dates] { return dates.takeFirst(); });
    QCOMPARE(bytes, QByteArray("     12345672004090301/07/200431/08/2004            000000002\r\n"
                               "     12345672004090401/07/200431/08/2004            000000002\r\n"));
}

void TestSubmissionFile::goldenFile()
{
    const QJsonObject w = fixture::goldenWorksheet();
    QVERIFY(!w.isEmpty());
    const QDate writtenOn = fixture::isoDate(w.value(QStringLiteral("writtenOn")));
    const Header h = fixture::goldenHeader(w);
    QCOMPARE(submission::fileName(h), fixture::goldenName());
    const QByteArray bytes = submission::fileBytes(h, fixture::goldenDocuments(w), [&] { return writtenOn; });
    QCOMPARE(fixture::hexDump(bytes), fixture::hexDump(fixture::goldenBytes()));
}

QTEST_APPLESS_MAIN(TestSubmissionFile)
#include "test_submission_file.moc"
