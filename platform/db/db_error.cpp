#include "platform/db/db_error.h"

#include <sqlite3.h>

namespace db {

QString describe(int number, const QString& argument)
{
    QString text;
    switch (number) {
    case err::InvalidArgument: text = QStringLiteral("Argumento no válido."); break;
    case err::UpdateWithoutEdit: text = QStringLiteral("Update o CancelUpdate sin AddNew o Edit."); break;
    case err::NoCurrentRecord: text = QStringLiteral("No hay un registro activo."); break;
    case err::DuplicateKey:
        text = QStringLiteral("Los cambios solicitados en la tabla no se realizaron correctamente porque "
                              "crearían valores duplicados en el índice, clave principal o relación.");
        break;
    case err::FileNotFound: text = QStringLiteral("No se encuentra el archivo '%1'."); break;
    case err::ReadOnly: text = QStringLiteral("No se puede actualizar. Base de datos u objeto de sólo lectura."); break;
    case err::InvalidPassword: text = QStringLiteral("No es una contraseña válida."); break;
    case err::DiskFull: text = QStringLiteral("Recursos del sistema excedidos: el disco está lleno."); break;
    case err::DiskError: text = QStringLiteral("Error de disco o de red."); break;
    case err::FileInUse: text = QStringLiteral("No se pudo usar '%1'; el archivo ya está en uso."); break;
    case err::Corrupt:
        text = QStringLiteral("No se puede abrir la base de datos '%1'. El archivo puede estar dañado.");
        break;
    case err::CannotOpen:
        text = QStringLiteral("No se puede abrir el archivo '%1'. Otro usuario lo tiene abierto en modo exclusivo "
                              "o no tiene permiso para usarlo.");
        break;
    case err::TooFewParameters: text = QStringLiteral("Pocos parámetros. Se esperaba: %1."); break;
    case err::UnknownField:
        text = QStringLiteral("El motor de base de datos no reconoce '%1' como un nombre de campo o expresión válidos.");
        break;
    case err::AmbiguousField:
        text = QStringLiteral("El campo especificado '%1' podría hacer referencia a más de una tabla de las "
                              "mencionadas en la cláusula FROM de la instrucción SQL.");
        break;
    case err::UndefinedFunction: text = QStringLiteral("Función '%1' no definida en la expresión."); break;
    case err::InvalidStatement:
        text = QStringLiteral("Instrucción SQL no válida; se esperaba 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' o 'UPDATE'.");
        break;
    case err::TextAfterStatement: text = QStringLiteral("Se encontraron caracteres después del final de la instrucción SQL."); break;
    case err::QuerySyntax: text = QStringLiteral("Error de sintaxis en la expresión de consulta '%1'."); break;
    case err::CriteriaSyntax: text = QStringLiteral("Error de sintaxis en la expresión '%1'."); break;
    case err::TableNotFound:
        text = QStringLiteral("El motor de base de datos no puede encontrar la tabla o consulta de entrada '%1'. "
                              "Asegúrese de que existe y de que su nombre está escrito correctamente.");
        break;
    case err::FieldTooSmall:
        text = QStringLiteral("El campo es demasiado pequeño para aceptar la cantidad de datos que intentó agregar. "
                              "Intente insertar o pegar menos datos.");
        break;
    case err::FieldNotUpdatable: text = QStringLiteral("No se puede actualizar el campo '%1'."); break;
    case err::FieldDefinedTwice: text = QStringLiteral("No se puede definir el campo '%1' más de una vez."); break;
    case err::RecordDeleted: text = QStringLiteral("El registro ha sido eliminado."); break;
    case err::RelatedRecords:
        text = QStringLiteral("No se puede eliminar o cambiar el registro porque la tabla '%1' tiene registros relacionados.");
        break;
    case err::InvalidOperation: text = QStringLiteral("Operación no válida."); break;
    case err::Locked:
        text = QStringLiteral("No se pudo actualizar; el archivo está bloqueado por otra sesión en este momento.");
        break;
    case err::ItemNotFound: text = QStringLiteral("Elemento no encontrado en esta colección."); break;
    case err::RequiredNull: text = QStringLiteral("El campo '%1' no puede contener un valor nulo."); break;
    case err::UnrecognizedFormat: text = QStringLiteral("Formato de base de datos no reconocido '%1'."); break;
    case err::QueryTooComplex: text = QStringLiteral("La consulta es demasiado compleja."); break;
    case err::ConversionError: text = QStringLiteral("Error de conversión del tipo de datos."); break;
    case err::TypeMismatch: text = QStringLiteral("No coinciden los tipos de datos en la expresión de criterios."); break;
    case err::ActionOnSelect: text = QStringLiteral("No se puede ejecutar una consulta de selección."); break;
    default: text = QStringLiteral("Error reservado (%1); no hay ningún mensaje para este error."); break;
    }
    if (text.contains(QLatin1String("%1")))
        text = text.arg(argument);
    return text;
}

void raise(int number, const QString& argument)
{
    throw DbError(number, describe(number, argument));
}

namespace {
// The text after a marker in SQLite's message, up to the end or the next blank.
QString wordAfter(const QString& message, const QString& marker)
{
    const int at = message.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    QString rest = message.mid(at + marker.size()).trimmed();
    const int end = rest.indexOf(QLatin1Char(' '));
    if (end >= 0)
        rest = rest.left(end);
    if (rest.startsWith(QLatin1String("main.")))
        rest = rest.mid(5);
    return rest;
}
} // namespace

namespace {
// The engine error a message of the program's own functions and triggers names ("ZAL-3200 …");
// 0 when it names none.
int ownError(const QString& message)
{
    if (!message.startsWith(QLatin1String(kOwnErrorPrefix)))
        return 0;
    return message.mid(int(qstrlen(kOwnErrorPrefix))).section(QLatin1Char(' '), 0, 0).toInt();
}

// The name a message like 'near "x": syntax error' or "no such function: x" is about.
QString nameIn(const QString& message, const QString& marker)
{
    QString name = wordAfter(message, marker);
    if (name.endsWith(QLatin1String("()")))
        name.chop(2);
    return name;
}
} // namespace

DbError mapSqliteError(int extendedCode, const QString& message, const QString& file, const QString& query)
{
    const int primary = extendedCode & 0xff;
    auto make = [](int number, const QString& arg = QString()) { return DbError(number, describe(number, arg)); };
    const QString code = QStringLiteral("SQLite %1").arg(extendedCode);

    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return make(err::Locked);
    case SQLITE_CONSTRAINT:
        switch (extendedCode) {
        case SQLITE_CONSTRAINT_CHECK:
            // Size checks are named len_<column>.
            if (message.contains(QLatin1String("len_")))
                return make(err::FieldTooSmall);
            return make(err::Reserved, code);
        case SQLITE_CONSTRAINT_TRIGGER:
            switch (ownError(message)) {
            case err::RelatedRecords: return make(err::RelatedRecords, message.section(QLatin1Char(' '), 1, 1));
            case err::DuplicateKey: return make(err::DuplicateKey);
            default: return make(err::Reserved, code);
            }
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
            return make(err::DuplicateKey);
        case SQLITE_CONSTRAINT_NOTNULL: {
            QString field = wordAfter(message, QStringLiteral("NOT NULL constraint failed:"));
            return make(err::RequiredNull, field.section(QLatin1Char('.'), -1));
        }
        default:
            return make(err::Reserved, code);
        }
    case SQLITE_CORRUPT:
        return make(err::Corrupt, file);
    case SQLITE_NOTADB:
        return make(err::UnrecognizedFormat, file);
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return make(err::CannotOpen, file);
    case SQLITE_READONLY:
        return make(err::ReadOnly);
    case SQLITE_FULL:
        return make(err::DiskFull);
    case SQLITE_IOERR:
        return make(err::DiskError);
    case SQLITE_MISMATCH:
        return make(err::TypeMismatch);
    case SQLITE_TOOBIG:
        return make(err::FieldTooSmall);
    case SQLITE_ERROR: {
        if (const int own = ownError(message)) {
            // The program's functions fail with a conversion error on overflow, else a type mismatch.
            return make(own == err::ConversionError ? err::ConversionError : err::TypeMismatch);
        }
        if (message.startsWith(QLatin1String("no such table")))
            return make(err::TableNotFound, wordAfter(message, QStringLiteral("no such table:")));
        if (message.startsWith(QLatin1String("duplicate column name")))
            return make(err::FieldDefinedTwice, wordAfter(message, QStringLiteral("duplicate column name:")));
        if (message.startsWith(QLatin1String("no such column")))
            return make(err::TooFewParameters, QStringLiteral("1"));   // an unknown name is a parameter to the engine
        if (message.startsWith(QLatin1String("ambiguous column name")))
            return make(err::AmbiguousField, wordAfter(message, QStringLiteral("ambiguous column name:")));
        if (message.startsWith(QLatin1String("no such function")))
            return make(err::UndefinedFunction, nameIn(message, QStringLiteral("no such function:")));
        if (message.contains(QLatin1String("Expression tree is too large")) || message.contains(QLatin1String("parser stack overflow"))
            || message.startsWith(QLatin1String("too many")))
            return make(err::QueryTooComplex);
        if (message.contains(QLatin1String("syntax error")) || message.startsWith(QLatin1String("incomplete input"))
            || message.startsWith(QLatin1String("unrecognized token")) || message.startsWith(QLatin1String("wrong number of arguments")))
            return make(err::QuerySyntax, query);
        return make(err::Reserved, code);
    }
    default:
        return make(err::Reserved, code);
    }
}

} // namespace db
