#include "dialogs/fillcombo.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/database.h"

#include <QComboBox>

namespace kelm {

void FillCombo(QComboBox *list, const QString &sql, const QString &field, const QVariantList &params)
{
    Connection conn;
    conn.open(gConnStr);
    Recordset rs;
    rs.open(conn, sql, params);
    if (rs.isEmpty()) {
        rs.close();
        conn.close();
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({QStringLiteral("Списъка е празен"), QStringLiteral("Ще се създаде нов!")}));
        return;
    }
    QStringList entries;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        entries << rs.value(field).toString();
    rs.close();
    conn.close();
    if (list)
        list->addItems(entries);
}

void FillCombo(Connection &conn, QComboBox *list, const QString &table, const QString &column)
{
    const QStringList entries = distinctValues(conn, table, column);
    if (entries.isEmpty()) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({QStringLiteral("Списъка е празен"), QStringLiteral("Ще се създаде нов!")}));
        return;
    }
    if (list)
        list->addItems(entries);
}

} // namespace kelm
