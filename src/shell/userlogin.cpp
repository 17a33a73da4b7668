#include "shell/userlogin.h"
namespace kelm {
bool runUserLogin() { return false; }
QString CheckUser(const QString &, const QString &) { return QString(); }
}
