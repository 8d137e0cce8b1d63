#pragma once
// Fixtures shared by the test suites: a fresh database per test, a settings file of the test's own,
// a fixed clock.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <functional>
#include <memory>

namespace support {

// The bytes of a file (empty when it cannot be read).
QByteArray fileBytes(const QString& path);

// Runs SQL on a file through a connection that knows nothing of the program (no collation, no
// functions), as any other SQLite tool does. Each row's values joined by '|' ("<null>" for
// Null), rows by '\n'; a failure gives "error: " and SQLite's message.
QString plainQuery(const QString& path, const QString& sql);

// A new database made from the program's schema and seed, in a temporary folder that disappears
// with the object.
class TestDatabase {
public:
    TestDatabase();
    QString path() const { return path_; }
    QString dir() const { return dir_.path(); }
    // Runs SQL (SQLite dialect) directly on the file, for building fixtures.
    void exec(const QString& sql) const;
private:
    QTemporaryDir dir_;
    QString path_;
};

// Points the settings store at an empty temporary file for the object's lifetime.
class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    QString path() const { return path_; }
private:
    QTemporaryDir dir_;
    QString path_;
};

// Fixes the program's clock for the object's lifetime.
class FixedClock {
public:
    explicit FixedClock(const QDateTime& moment);
    ~FixedClock();
};

// The text of a PDF file as pdftotext reads it (page layout kept unless layout is false; pages
// end in '\f'); none when the tool did not finish. canReadPdfText() is false when pdftotext is not
// installed (scripts/setup installs poppler-utils).
bool canReadPdfText();
std::optional<QString> pdfText(const QString& pdf, bool layout = true);

// The engine error number a call ends with; 0 when it ends normally.
int dbErrorOf(const std::function<void()>& call);

} // namespace support
