#include "testdb.h"

#include "common/globals.h"
#include "platform/database.h"

#include <QtTest>

TestDb::TestDb()
{
    if (!m_dir.isValid())
        qFatal("no temporary folder");
    kelm::setProgramFolder(m_dir.path());
    kelm::createDatabaseFromSchema(kelm::gDbPath);
}

TestDb::~TestDb()
{
    if (m_conn)
        m_conn->close();
}

QString TestDb::folder() const { return m_dir.path(); }
QString TestDb::dbPath() const { return kelm::gDbPath; }

kelm::Connection &TestDb::conn()
{
    if (!m_conn) {
        m_conn = std::make_unique<kelm::Connection>();
        m_conn->open(kelm::gConnStr);
    }
    return *m_conn;
}

void TestDb::exec(const QString &sql, const QVariantList &params)
{
    conn().execute(sql, params);
}

QVariant TestDb::scalar(const QString &sql, const QVariantList &params)
{
    return conn().scalar(sql, params);
}

int TestDb::count(const QString &table)
{
    return conn().scalar(QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}
