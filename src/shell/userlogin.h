#pragma once
#include <QString>
namespace kelm {
// Shows the sign-in dialog UserLogin modally; returns its OK. On success gUserVid
// holds the user's kind.
bool runUserLogin();
// Looks the pair up in Users; returns the kind of the last matching row, or "".
// Sets gLoginOK.
QString CheckUser(const QString &password, const QString &userName);
}
