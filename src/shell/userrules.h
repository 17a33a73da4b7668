#pragma once
// The rules of a user's name, password and kind, in one place without a window:
// the sign-in, the users screen, kelm-passwd and the restore's check of an
// archive all ask these, so that what may be stored is exactly what signs in.

#include <QString>
#include <QVariant>

namespace kelm {

// True when the text holds nothing one could see and type back: it is empty or
// only white space of any kind (spaces, tabs, line breaks, the non-breaking space
// and the other Unicode spaces) and invisible format characters (zero-width space).
bool isBlankCredential(const QString &text);

// True when a user stored with this name and password could sign in: both are
// there and neither is blank. A blank password never signs in, so a user stored
// with one by an earlier version waits for an administrator to give them one.
bool canSignIn(const QVariant &name, const QVariant &password);

// A user's kind is one letter: "A" administrator, "B" full user, any other
// restricted.
constexpr int kUserKindLength = 1;

// The kind as it is stored: without blanks, in capitals, and the Cyrillic "А"
// and "В" of a Bulgarian keyboard as the Latin "A" and "B" they look like, so
// that a kind typed either way means what it shows.
QString userKindAsStored(const QString &typed);

// True when a stored kind is exactly one letter.
bool isUserKind(const QString &stored);

} // namespace kelm
