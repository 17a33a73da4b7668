#pragma once
// A fresh program folder with a new Kelm.mdb made from the schema; the program
// globals (paths, connection strings) point at it for the test's lifetime.

#include <QString>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

namespace kelm {
class Connection;
}

class TestDb {
public:
    TestDb();
    ~TestDb();
    QString folder() const;
    QString dbPath() const;
    // A connection on the test database (opened; closed with the TestDb).
    kelm::Connection &conn();
    // Runs one statement on the test database.
    void exec(const QString &sql, const QVariantList &params = {});
    QVariant scalar(const QString &sql, const QVariantList &params = {});
    int count(const QString &table);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<kelm::Connection> m_conn;
};
