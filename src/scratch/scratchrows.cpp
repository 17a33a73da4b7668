#include "scratch/scratchrows.h"

#include "scratch/temptable.h"

#include <QDir>

namespace kelm {

ScratchRows::ScratchRows(const QString &tableName)
    : m_dir(QDir::tempPath() + QStringLiteral("/kelm-XXXXXX")), m_table(tableName)
{
    if (!m_dir.isValid())
        throw DbError(ErrSql, QStringLiteral("Не мога да създам временен файл (%1).").arg(m_dir.errorString()));
    m_path = m_dir.filePath(tableName + QStringLiteral(".mdb"));
    m_conn.open(connStr());
    createTempTableIn(m_conn, tableName);
}

ScratchRows::~ScratchRows()
{
    m_conn.close();
}

QString ScratchRows::connStr() const
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + m_path + QLatin1Char(';');
}

void ScratchRows::clear()
{
    inTransaction(m_conn, [this] { clearInTransaction(); });
}

void ScratchRows::clearInTransaction()
{
    m_conn.execute(QStringLiteral("DELETE FROM \"%1\"").arg(m_table));
    if (m_table == QLatin1String("TempKlients"))
        m_conn.execute(QStringLiteral("DELETE FROM \"TempKlientsNew\""));
}

} // namespace kelm
