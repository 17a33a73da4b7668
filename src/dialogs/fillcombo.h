#pragma once
// Fills a drop-down list from one field of a query on the main database.

#include <QString>
#include <QVariantList>

class QComboBox;

namespace kelm {

class Connection;

// Adds the named field of every row the query returns, in row order, as the next
// entries of the list (the list is not emptied first: a caller that refills a
// list clears it itself). A query without rows shows "ВНИМАНИЕ!" / "Списъка е
// празен" / "Ще се създаде нов!" and adds nothing; the caller goes on. Values go
// in as bound parameters. Throws DbError when the database cannot be read.
void FillCombo(QComboBox *list, const QString &sql, const QString &field,
               const QVariantList &params = {});

// The same for the distinct values of one column of a table (Nulls left out, in
// alphabetical order), read from the column's index on a connection the screen
// already holds.
void FillCombo(Connection &conn, QComboBox *list, const QString &table, const QString &column);

} // namespace kelm
