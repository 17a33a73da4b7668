#pragma once
// Fills a drop-down list from one field of a query on the main database.

#include <QString>
#include <QVariantList>

class QComboBox;

namespace kelm {

// Adds the named field of every row the query returns, in row order, as the next
// entries of the list (the list is not emptied first: a caller that refills a
// list clears it itself). A query without rows shows "ВНИМАНИЕ!" / "Списъка е
// празен" / "Ще се създаде нов!" and adds nothing; the caller goes on. Values go
// in as bound parameters. Throws DbError when the database cannot be read.
void FillCombo(QComboBox *list, const QString &sql, const QString &field,
               const QVariantList &params = {});

} // namespace kelm
