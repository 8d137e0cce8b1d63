#pragma once
// Automatic-number counters of a ZAL file. A counter must never hand out a number that a row
// still holds or that another table still refers to: a new taxpayer would otherwise inherit the
// worksheets of one that was lost.
#include <QList>
#include <QString>

namespace db {

class Connection;

// A column of one table holding numbers of another table's automatic number.
struct CounterReference {
    QString counterTable;
    QString table;
    QString column;
};

// The references of a ZAL file: worksheet headers to taxpayers, worksheet rows to their header
// and to the expense type.
const QList<CounterReference>& counterReferences();

// Raises each automatic-number counter of the file to at least the largest number its table
// holds and the largest number any reference still names. Never lowers a counter. Tables or
// columns that are not there are passed over.
void keepCountersAhead(Connection& conn);

} // namespace db
