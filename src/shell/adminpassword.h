#pragma once
// The administrator's password, set outside the program: when a new Kelm.mdb is
// installed and later with the command kelm-passwd in the program folder. The
// users screen lists only the other users, so this is the one way to change it.

#include <QByteArray>
#include <QString>

namespace kelm {

// The variable an installation may give the password in.
constexpr const char *kAdminPasswordVariable = "KELM_ADMIN_PASSWORD";

// Why a new password is refused, or an empty text when it is good: it must not be
// blank (isBlankCredential: a blank password never signs in), hold no line breaks
// or other control characters (it is typed into one line at sign-in) and have at
// most 50 characters.
QString adminPasswordRefusal(const QString &password);
// The same for a password as it arrives from the terminal or the variable: its
// bytes must be text (UTF-8), else the stored password would be replacement
// marks nobody can type. *password gets the text when it is good.
QString adminPasswordRefusal(const QByteArray &bytes, QString *password);

// Sets the password of the administrator named `name` (a user of kind "A") in the
// main database at dbPath. Only that user's password changes; the value is bound.
// Returns false when the database holds no such administrator; throws DbError when
// the file is no database of this program or cannot be written.
bool setAdminPassword(const QString &dbPath, const QString &name, const QString &password);

} // namespace kelm
