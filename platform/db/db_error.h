#pragma once
// Errors of the database layer carry the engine's error number and description; forms react to
// the numbers. All translation of SQLite result codes into these numbers is done by mapSqliteError.
#include <QString>
#include <stdexcept>

namespace db {

namespace err {
constexpr int Reserved = 3000;          // anything without a closer number
constexpr int InvalidArgument = 3001;
constexpr int UpdateWithoutEdit = 3020;
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int ReadOnly = 3027;
constexpr int InvalidPassword = 3031;
constexpr int DiskFull = 3035;
constexpr int DiskError = 3043;
constexpr int FileInUse = 3045;
constexpr int Corrupt = 3049;
constexpr int CannotOpen = 3051;
constexpr int TooFewParameters = 3061;
constexpr int ActionOnSelect = 3065;
constexpr int UnknownField = 3070;
constexpr int QuerySyntax = 3075;
constexpr int AmbiguousField = 3079;
constexpr int UndefinedFunction = 3085;
constexpr int InvalidStatement = 3129;
constexpr int TextAfterStatement = 3142;
constexpr int CriteriaSyntax = 3077;
constexpr int TableNotFound = 3078;
constexpr int FieldTooSmall = 3163;
constexpr int FieldNotUpdatable = 3164;
constexpr int RecordDeleted = 3167;
constexpr int FieldDefinedTwice = 3191;
constexpr int RelatedRecords = 3200;
constexpr int InvalidOperation = 3219;
constexpr int Locked = 3260;
constexpr int ItemNotFound = 3265;
constexpr int RequiredNull = 3314;
constexpr int UnrecognizedFormat = 3343;
constexpr int QueryTooComplex = 3360;
constexpr int ConversionError = 3421;
constexpr int TypeMismatch = 3464;
} // namespace err

class DbError : public std::runtime_error {
public:
    DbError(int number, const QString& description)
        : std::runtime_error(QStringLiteral("%1: %2").arg(number).arg(description).toStdString()),
          number_(number), description_(description) {}
    int number() const { return number_; }
    QString description() const { return description_; }
private:
    int number_;
    QString description_;
};

// The engine's description of a number ("%1" in it takes the argument).
QString describe(int number, const QString& argument = QString());

// Throws the error of that number with its description.
[[noreturn]] void raise(int number, const QString& argument = QString());

// The one place where SQLite's result codes become engine errors. file is the database file the
// errors about the file name (3049, 3051, 3343); query is the text a syntax error (3075) quotes.
// SQLite's own wording never reaches the description: what has no closer number is 3000 with
// SQLite's result code.
DbError mapSqliteError(int extendedCode, const QString& sqliteMessage, const QString& file = QString(),
                       const QString& query = QString());

// Prefix of the messages by which the program's own SQL functions and triggers name the engine
// error they raise ("ZAL-3421 Overflow").
inline constexpr const char* kOwnErrorPrefix = "ZAL-";

} // namespace db
