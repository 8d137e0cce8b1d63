#pragma once
// The floors of the bench: the program's work done with plain SQLite, plain C++ and plain Qt
// painting. Each does what the program's line does (the same reads, the same lines and files,
// a PDF of the same rows), without the program's layers.
#include <QAbstractTableModel>
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class QTableView;

namespace bench {

// The cheapest Qt model a grid can show: the values as read, their texts made only when a view
// asks for them.
class RowsModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void setRows(std::vector<std::vector<QVariant>>&& rows, int columns);

private:
    std::vector<std::vector<QVariant>> rows_;
    int columns_ = 0;
};

// The entry form's reads and writes on a worksheet file, done directly: the header lookup, the
// detail rows joined with their supplier and expense type into a RowsModel shown by a table
// view, the sums of the credit groups, the header-click sort, and a save (find the document by
// its key, insert it, then read the worksheet again as the form does).
class WorksheetFloor {
public:
    explicit WorksheetFloor(const QString& path);
    ~WorksheetFloor();
    WorksheetFloor(const WorksheetFloor&) = delete;
    WorksheetFloor& operator=(const WorksheetFloor&) = delete;

    int headerOf(int taxpayer);
    // Header lookup, rows into the model, sums; returns the total.
    double load(int taxpayer);
    // The rows of a header sorted by amount into the model.
    void sortByAmount(int header, bool ascending);
    // Saves a new document of the header and reads the worksheet again.
    void addDocument(int header, const QByteArray& provee, const QByteArray& noDoc, double amount);
    // Changes the date and amount of a stored document and reads the worksheet again.
    void changeDocument(int header, const QByteArray& provee, const QByteArray& noDoc, double amount);
    int shownRows() const;

private:
    double readInto(sqlite3_stmt* st, int header);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* header_ = nullptr;
    sqlite3_stmt* detail_ = nullptr;
    sqlite3_stmt* ascending_ = nullptr;
    sqlite3_stmt* descending_ = nullptr;
    sqlite3_stmt* find_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
    RowsModel model_;
    QTableView* view_ = nullptr;
};

// One taxpayer's submission file written with plain SQLite and C++: the export's three queries
// (the header query read to its first row), the same header, detail and trailer lines in
// Windows-1252 with CR LF, written to a temporary file in the folder and renamed over the final
// name. Returns the bytes written (empty when the taxpayer has no worksheet in the period).
QByteArray plainSubmissionFile(sqlite3* db, int taxpayer, int period, const QString& folder, const QDate& today);

// The worksheet print of a header with plain SQLite and plain painting: the taxpayer block, the
// detail rows of the template's query (same order, same formats) as a table with its heading on
// every page, the total row and a page number on each page, written to a PDF of the same page.
void plainWorksheetPdf(const QString& databasePath, int header, const QString& pdfPath);

// Rows of text as a PDF table with a heading row on every page (the statistics floor).
void plainTablePdf(const QStringList& heading, const std::vector<QStringList>& rows, const QString& pdfPath);

} // namespace bench
