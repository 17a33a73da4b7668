#include "shell/userrules.h"

namespace kelm {

bool isBlankCredential(const QString &text)
{
    for (const QChar c : text)
        if (!c.isSpace() && c.category() != QChar::Other_Format)
            return false;
    return true;
}

bool canSignIn(const QVariant &name, const QVariant &password)
{
    return !name.isNull() && !password.isNull() && !isBlankCredential(name.toString())
        && !isBlankCredential(password.toString());
}

QString userKindAsStored(const QString &typed)
{
    QString kind = typed.trimmed().toUpper();
    kind.replace(QChar(0x0410), QLatin1Char('A')); // Cyrillic А
    kind.replace(QChar(0x0412), QLatin1Char('B')); // Cyrillic В
    return kind;
}

bool isUserKind(const QString &stored)
{
    return stored.size() == kUserKindLength && stored.at(0).isLetter();
}

} // namespace kelm
