#include "export/export_run.h"

#include "export/submission_file.h"
#include "platform/basic/basic.h"
#include "platform/system/clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace envios {

namespace {

enum class Replace { Done, CannotCreate, Failed };

// Temporary files of the run: "." + the file's name + "." + a random tag + ".tmp", in the folder of
// the file they replace.
const QRegularExpression& temporaryName()
{
    static const QRegularExpression re(QStringLiteral("^\\.PI\\d{4}.+\\.TXT\\.[0-9a-z]+\\.tmp$"));
    return re;
}

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

// True when the user may write the existing file: the system lets him, and the file's own write
// permission for him is set (an administrator passes the system's check on every file, yet a file
// its owner made read-only is still one he protected).
bool userMayWrite(const struct stat& st, const QByteArray& path)
{
    if (::access(path.constData(), W_OK) != 0)
        return false;
    if (st.st_uid == ::geteuid())
        return st.st_mode & S_IWUSR;
    if (st.st_gid == ::getegid())
        return st.st_mode & S_IWGRP;
    return st.st_mode & S_IWOTH;
}

bool writeAll(int fd, const QByteArray& bytes, int* error)
{
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        at += n;
        left -= n;
    }
    // Closing a second descriptor of the file makes a network file system send what it holds and
    // report its failure here, while the first one keeps the file locked until the rename.
    const int copy = ::dup(fd);
    if (copy < 0 || ::close(copy) != 0) {
        *error = errno;
        return false;
    }
    return true;
}

// Writes the bytes to a new temporary file beside path and only when every byte went out without
// an error renames it over path, so that path holds either its old content or the whole new one.
// The temporary file is locked while it is written: the lock tells a later run that it belongs to
// a copy of the program still at work (removeLeftoverTemporaries). It is removed on every failure;
// *error gets the system's error number. An existing file the user cannot write is not replaced
// (*readOnly). There is no disk sync per file: a thousand of them cost seconds, and the rename
// over an existing name already has the file system write the data first.
Replace replaceFile(const QString& path, const QByteArray& bytes, int* error, bool* readOnly)
{
    const QFileInfo target(path);
    const QByteArray final = nativePath(path);
    struct stat existing;
    if (::lstat(final.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            *error = EISDIR;
            return Replace::Failed;
        }
        if (S_ISREG(existing.st_mode) && !userMayWrite(existing, final)) {
            *readOnly = true;
            return Replace::Failed;
        }
    }
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
        temp = nativePath(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
                          + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp"));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            *error = errno;
            if (*error != EEXIST)
                return Replace::CannotCreate;
            continue;
        }
        // Locked at once; a later run that removed it in the moment before is caught by the
        // name no longer leading to this file, and another name is taken.
        struct stat mine, named;
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno == ENOLCK || errno == EOPNOTSUPP;
        if (!locked || ::fstat(fd, &mine) != 0 || ::lstat(temp.constData(), &named) != 0 || mine.st_ino != named.st_ino
            || mine.st_dev != named.st_dev) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        return Replace::CannotCreate;
    if (!writeAll(fd, bytes, error)) {
        ::unlink(temp.constData());
        ::close(fd);
        return Replace::Failed;
    }
    // rename() replaces an existing file in one step.
    if (::rename(temp.constData(), final.constData()) != 0) {
        *error = errno;
        ::unlink(temp.constData());
        ::close(fd);
        return Replace::Failed;
    }
    ::close(fd);
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

QString taxpayerListQuery(const QString& periodo)
{
    return QStringLiteral("SELECT Contribuyentes.Nombre, Contribuyentes.Nit, Contribuyentes.[No], Planilla_Enc.Periodo "
                          "FROM Contribuyentes INNER JOIN (Periodos INNER JOIN Planilla_Enc ON Periodos.[No] = "
                          "Planilla_Enc.Periodo) ON Contribuyentes.[No] = Planilla_Enc.Contribuyente ")
        + QStringLiteral("WHERE (((Planilla_Enc.Periodo)=") + periodo + QStringLiteral("));");
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

QString writeFailureCause(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral(" No hay espacio suficiente en el disco...");
    case EACCES:
    case EPERM:
        return QStringLiteral(" No tiene permiso para escribir en el directorio...");
    case EISDIR:
        return QStringLiteral(" Ya existe un directorio con el nombre del archivo...");
    case EROFS:
        return QStringLiteral(" El disco es de sólo lectura...");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral(" El directorio ya no existe: fue borrado o movido...");
    default:
        return QStringLiteral(" ") + QString::fromLocal8Bit(std::strerror(error));
    }
}

int removeLeftoverTemporaries(const QString& folder)
{
    int removed = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!temporaryName().match(name).hasMatch())
            continue;
        const QByteArray path = nativePath(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened, named;
        // Only a plain file that no running copy holds locked, and that is still the one opened.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::lstat(path.constData(), &named) == 0 && named.st_ino == opened.st_ino && named.st_dev == opened.st_dev
            && ::unlink(path.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
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
        // The fields are found by name once, not on every row.
        const auto index = [&](const char* name) {
            const int i = rs.detalle.fieldIndex(QLatin1String(name));
            if (i < 0)
                db::raise(db::err::ItemNotFound, QLatin1String(name));
            return i;
        };
        const int secuencia = index("Secuencia"), provee = index("Provee"), disTipo = index("DisTipo"),
                  serie = index("Serie"), noDoc = index("NoDoc"), fecha = index("Fecha"), monto = index("Monto"),
                  descripcion = index("Descripcion");
        documents.reserve(rs.detalle.recordCount());
        while (!rs.detalle.eof()) {
            submission::Document d;
            d.secuencia = rs.detalle.field(secuencia);
            d.provee = rs.detalle.field(provee);
            d.disTipo = rs.detalle.field(disTipo);
            d.serie = rs.detalle.field(serie);
            d.noDoc = rs.detalle.field(noDoc);
            d.fecha = rs.detalle.field(fecha);
            d.monto = rs.detalle.field(monto);
            d.descripcion = rs.detalle.field(descripcion);
            documents << std::move(d);
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

    int error = 0;
    bool readOnly = false;
    switch (replaceFile(result.path, bytes, &error, &readOnly)) {
    case Replace::Done:
        break;
    case Replace::CannotCreate: {
        // The folder is what refuses the file when it is missing, no folder, or takes no new file
        // (an administrator passes every permission check, so the refusal itself counts).
        const QFileInfo dir(folder);
        const bool folderRefuses = !dir.isDir() || !dir.isWritable() || error == EACCES || error == EPERM
            || error == EROFS || error == ENOENT || error == ENOTDIR;
        result.status = folderRefuses ? TaxpayerFile::Status::FolderError : TaxpayerFile::Status::Failed;
        result.cause = writeFailureCause(error);
        return result;
    }
    case Replace::Failed:
        result.status = TaxpayerFile::Status::Failed;
        result.cause = readOnly ? QStringLiteral(" El archivo ya existe y es de sólo lectura: no fue reemplazado...")
                                : writeFailureCause(error);
        return result;
    }
    result.status = TaxpayerFile::Status::Written;
    return result;
}

} // namespace envios
