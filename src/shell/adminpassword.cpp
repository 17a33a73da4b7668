#include "shell/adminpassword.h"

#include "platform/database.h"
#include "shell/userrules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace kelm {

QString adminPasswordRefusal(const QString &password)
{
    if (isBlankCredential(password))
        return QStringLiteral("Паролата не може да бъде празна или само от интервали.");
    for (const QChar c : password)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Паролата не може да съдържа нов ред или управляващи знаци.");
    if (password.size() > 50)
        return QStringLiteral("Паролата може да е най-много 50 знака.");
    return QString();
}

QString adminPasswordRefusal(const QByteArray &bytes, QString *password)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QStringLiteral("Паролата съдържа знаци, които не са текст (UTF-8).");
    if (const QString why = adminPasswordRefusal(text); !why.isEmpty())
        return why;
    *password = text;
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
