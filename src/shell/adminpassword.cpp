#include "shell/adminpassword.h"

#include "platform/database.h"

#include <QDir>
#include <QFileInfo>

namespace kelm {

QString adminPasswordRefusal(const QString &password)
{
    if (password.isEmpty())
        return QStringLiteral("Паролата не може да бъде празна.");
    for (const QChar c : password)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Паролата не може да съдържа нов ред или управляващи знаци.");
    if (password.size() > 50)
        return QStringLiteral("Паролата може да е най-много 50 знака.");
    return QString();
}

bool setAdminPassword(const QString &dbPath, const QString &name, const QString &password)
{
    // Never a new empty file in place of a missing database.
    QString why;
    if (!isKelmDatabase(dbPath, &why))
        throw DbError(QFileInfo::exists(dbPath) ? ErrNotDatabase : ErrFileNotFound, QDir::toNativeSeparators(dbPath) + QStringLiteral(": ") + why);
    Connection conn;
    conn.open(QStringLiteral("Data Source=") + dbPath + QStringLiteral(";"));
    conn.beginTrans();
    try {
        const int changed = conn.execute(QStringLiteral("UPDATE Users SET Password=? WHERE Ime=? AND Vid='A'"),
                                         {password, name});
        conn.commitTrans();
        return changed > 0;
    } catch (...) {
        conn.rollbackTrans();
        throw;
    }
}

} // namespace kelm
