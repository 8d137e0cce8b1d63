#include "export/export_run.h"

#include "export/submission_file.h"
#include "platform/basic/basic.h"
#include "platform/system/clock.h"

#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace envios {

namespace {

enum class Replace { Done, CannotCreate, Failed };

// Writes the bytes to a new temporary file beside path, closes it and only when every byte went
// out without an error renames the temporary file over path, so that path holds either its old
// content or the whole new one. The temporary file is removed on every failure; *cause gets the
// system's reason and *openErrno the system's error number when the temporary file could not be
// created. There is no disk sync per file: a thousand of them cost seconds, and the
// rename over an existing name already has the file system write the data first.
Replace replaceFile(const QString& path, const QByteArray& bytes, QString* cause, int* openErrno)
{
    const QFileInfo target(path);
    // A plain new file (not the system's unnamed temporary files, whose creation is far slower
    // on some file systems), named so that no other file can be taken for it.
    QFile temp;
    for (int attempt = 0; attempt < 10 && !temp.isOpen(); ++attempt) {
        temp.setFileName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
                         + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp"));
        errno = 0;
        if (temp.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        *openErrno = errno;   // before anything else can change it
        if (!temp.exists()) {
            *cause = QStringLiteral(" ") + temp.errorString();
            return Replace::CannotCreate;
        }
    }
    if (!temp.isOpen()) {
        *cause = QStringLiteral(" ") + temp.errorString();
        return Replace::CannotCreate;
    }
    bool ok = temp.write(bytes) == bytes.size() && temp.flush();
    if (ok) {
        temp.close();
        ok = temp.error() == QFileDevice::NoError;
    }
    if (!ok) {
        *cause = QStringLiteral(" ") + temp.errorString();
        temp.close();
        temp.remove();
        return Replace::Failed;
    }
    // rename() replaces an existing file in one step.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        *cause = QStringLiteral(" ") + QString::fromLocal8Bit(std::strerror(errno));
        temp.remove();
        return Replace::Failed;
    }
    return Replace::Done;
}

} // namespace

QString headerQuery(int taxpayerNo, const QString& periodo)
{
    return QStringLiteral(
               "SELECT Planilla_Enc.[No], Planilla_Enc.Contribuyente, Planilla_Enc.Periodo, Planilla_Det.Secuencia, "
               "Planilla_Det.Provee, Planilla_Det.Tipo, Planilla_Det.NoDoc, Planilla_Det.Serie, Planilla_Det.Fecha, "
               "Planilla_Det.Monto, Planilla_Det.Gasto, Gastos.Descripcion ")
        + QStringLiteral("FROM Gastos INNER JOIN (Planilla_Enc INNER JOIN Planilla_Det ON Planilla_Enc.[No] = "
                         "Planilla_Det.Enc) ON Gastos.Codigo = Planilla_Det.Gasto WHERE (((Planilla_Enc.Contribuyente)=")
        + QString::number(taxpayerNo) + QStringLiteral(") AND ((Planilla_Enc.Periodo)=") + periodo
        + QStringLiteral(")) ORDER BY Planilla_Enc.[No], Planilla_Det.Secuencia;");
}

QString taxpayerQuery(int taxpayerNo)
{
    return QStringLiteral("SELECT Contribuyentes.[No], Contribuyentes.Nit, Contribuyentes.Nombre, Contribuyentes.NPat "
                          "From Contribuyentes WHERE (((Contribuyentes.[No])=")
        + QString::number(taxpayerNo) + QStringLiteral("));");
}

QString detailQuery(int headerNo)
{
    return QStringLiteral(
               "SELECT Planilla_Det.Enc, Planilla_Det.Secuencia, Planilla_Det.Provee, "
               "IIf([Tipo]='0','F',IIf([Tipo]='1','T', 'I')) AS DisTipo, Planilla_Det.Tipo, Planilla_Det.NoDoc, "
               "Planilla_Det.Serie, Planilla_Det.Fecha, Planilla_Det.Monto, Gastos.Descripcion FROM Gastos INNER JOIN "
               "Planilla_Det ON Gastos.Codigo = Planilla_Det.Gasto WHERE (((Planilla_Det.Enc)=")
        + QString::number(headerNo) + QStringLiteral(")) ORDER BY Planilla_Det.Secuencia;");
}

QString separatorFor(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return QString();
    return QStringLiteral("/");
}

bool nitFitsFileName(const QString& nit)
{
    if (nit.trimmed().isEmpty())
        return false;
    static const QString kForbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : nit)
        if (c.unicode() < 0x20 || kForbidden.contains(c))
            return false;
    return true;
}

void RunRecordsets::close()
{
    encabezado.close();
    contribuyente.close();
    detalle.close();
}

TaxpayerFile writeTaxpayerFile(db::Database& database, int taxpayerNo, const QString& periodo, const QString& del,
                               const QString& al, const QString& folder, const QString& separator, RunRecordsets& rs)
{
    TaxpayerFile result;
    submission::Header header;
    QList<submission::Document> documents;
    try {
        // Only whether the worksheet has a document and its header number are read from it.
        rs.encabezado = database.openRecordset(headerQuery(taxpayerNo, periodo), db::RecordsetType::Snapshot, 1);
        if (rs.encabezado.eof())
            return result;
        rs.contribuyente = database.openRecordset(taxpayerQuery(taxpayerNo), db::RecordsetType::Snapshot);
        if (rs.contribuyente.eof()) {
            result.status = TaxpayerFile::Status::Failed;
            result.cause = QStringLiteral(" El contribuyente No. %1 ya no existe.").arg(taxpayerNo);
            return result;
        }
        const QVariant nit = rs.contribuyente.field(QStringLiteral("Nit"));
        header.nit = nit.isValid() ? basic::CStr(nit) : QString();
        header.nitPatrono = rs.contribuyente.field(QStringLiteral("NPat"));
        header.del = del;
        header.al = al;
        result.nit = header.nit;
        if (!nitFitsFileName(header.nit)) {
            result.status = TaxpayerFile::Status::BadNit;
            return result;
        }
        result.path = folder + separator + submission::fileName(header);

        const int headerNo = rs.encabezado.field(QStringLiteral("No")).toInt();
        rs.detalle = database.openRecordset(detailQuery(headerNo), db::RecordsetType::Snapshot);
        while (!rs.detalle.eof()) {
            submission::Document d;
            d.secuencia = rs.detalle.field(QStringLiteral("Secuencia"));
            d.provee = rs.detalle.field(QStringLiteral("Provee"));
            d.disTipo = rs.detalle.field(QStringLiteral("DisTipo"));
            d.serie = rs.detalle.field(QStringLiteral("Serie"));
            d.noDoc = rs.detalle.field(QStringLiteral("NoDoc"));
            d.fecha = rs.detalle.field(QStringLiteral("Fecha"));
            d.monto = rs.detalle.field(QStringLiteral("Monto"));
            d.descripcion = rs.detalle.field(QStringLiteral("Descripcion"));
            documents << d;
            rs.detalle.moveNext();
        }
    } catch (const db::DbError& e) {
        result.status = TaxpayerFile::Status::Failed;
        result.cause = QStringLiteral(" Error %1: %2").arg(e.number()).arg(e.description());
        return result;
    }

    QByteArray bytes;
    try {
        bytes = submission::fileBytes(header, documents, [] { return sys::today(); });
    } catch (const submission::RowError& e) {
        result.status = TaxpayerFile::Status::Failed;
        result.cause = e.cause();
        return result;
    }

    int openErrno = 0;
    switch (replaceFile(result.path, bytes, &result.cause, &openErrno)) {
    case Replace::Done:
        break;
    case Replace::CannotCreate: {
        // The folder is what refuses the file when it is missing, no folder, or takes no new file
        // (an administrator passes every permission check, so the refusal itself counts).
        const QFileInfo dir(folder);
        const bool folderRefuses = !dir.isDir() || !dir.isWritable() || openErrno == EACCES || openErrno == EPERM
            || openErrno == EROFS || openErrno == ENOENT || openErrno == ENOTDIR;
        result.status = folderRefuses ? TaxpayerFile::Status::FolderError : TaxpayerFile::Status::Failed;
        return result;
    }
    case Replace::Failed:
        result.status = TaxpayerFile::Status::Failed;
        return result;
    }
    result.status = TaxpayerFile::Status::Written;
    return result;
}

} // namespace envios
