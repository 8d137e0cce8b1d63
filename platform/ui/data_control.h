#pragma once
// The data control of a form: it opens a database and a record set over its record source, and
// the list controls bound to it (DBList, DBCombo) fill themselves from that record set.
//
//   dtPeriodos->setDatabaseName(Biblio::gBaseDatos.toString());
//   dtPeriodos->setConnect(";PWD=MIRVOSK");
//   dtPeriodos->setRecordSource("SELECT ... FROM Periodos;");
//   dtPeriodos->Refresh();                       // database and record set opened anew
//   dtPeriodos->Recordset().findFirst("[No] = 3");
//
// The control shows its caption (e.g. "Doble Click para seleccionar...") as a small bar; a form
// hides it when its window has none to show.
#include "platform/db/database.h"

#include <QStringList>
#include <QWidget>

class QLabel;

namespace ui {

class DataControl : public QWidget {
    Q_OBJECT
public:
    explicit DataControl(QWidget* parent = nullptr);

    QString DatabaseName() const { return databaseName_; }
    void setDatabaseName(const QString& path) { databaseName_ = path; }
    QString Connect() const { return connect_; }
    void setConnect(const QString& connect) { connect_ = connect; }
    // A table name or an SQL text in the engine's dialect. Empty: Refresh opens only the database.
    QString RecordSource() const { return recordSource_; }
    void setRecordSource(const QString& source) { recordSource_ = source; }
    db::RecordsetType RecordsetType() const { return recordsetType_; }
    void setRecordsetType(db::RecordsetType type) { recordsetType_ = type; }
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Exclusive() const { return exclusive_; }
    void setExclusive(bool exclusive) { exclusive_ = exclusive; }
    // The engine's options (512 = see changes); kept for the forms, the engine always sees them.
    int Options() const { return options_; }
    void setOptions(int options) { options_ = options; }
    QString Caption() const;
    void setCaption(const QString& caption);

    // Opens the database (db::Database::open(DatabaseName, Connect, Exclusive, ReadOnly)) and the
    // record set over RecordSource anew, leaves it on its first row (EOF when empty) and has the
    // bound controls fill themselves again (signal refreshed()). Engine errors (db::DbError) reach
    // the caller; the controls then keep what they had.
    void Refresh();
    // Opens the record set over RecordSource anew on the database the last Refresh opened (a full
    // Refresh when none is open, or when the name or connect string changed since). Opening the
    // file probes it whole, which a large file makes slow; a form that only changes its query
    // (a sort, another worksheet) uses this instead.
    void RefreshRecordset();

    // The record set and the database of the last Refresh (closed objects before the first one).
    // Copies of the record set share its cursor.
    db::Recordset Recordset() const { return recordset_; }
    db::Database Database() const { return database_; }

    // Saves the record being edited or added (Update), when there is one.
    void UpdateRecord();
    // Has the bound controls read the record set again (after a Requery, for instance).
    void UpdateControls();

    // The text of the given fields for every row, from the first row to the last (Null as ""),
    // for the bound controls. The cursor ends where it was (on the first row when it was on
    // none). Nothing is read while a record is being edited or added (the moves would drop it);
    // then the result is empty and *ok false.
    QList<QStringList> readRows(const QStringList& fields, bool* ok = nullptr) const;

    // The rows of a bound list: the list field and the bound column (the list field again when
    // none is given) of every record. False while a record is being edited (nothing is read then);
    // an engine error is logged under the reader's name and gives no rows.
    bool readListRows(const QString& listField, const QString& boundColumn, QList<QStringList>* rows,
                      const QString& reader) const;

signals:
    void refreshed();

private:
    QString databaseName_;
    QString connect_;
    QString recordSource_;
    db::RecordsetType recordsetType_ = db::RecordsetType::Dynaset;
    bool readOnly_ = false;
    bool exclusive_ = false;
    int options_ = 0;
    QLabel* caption_;
    db::Database database_;
    db::Recordset recordset_;
    QString openedName_;
    QString openedConnect_;
};

} // namespace ui
