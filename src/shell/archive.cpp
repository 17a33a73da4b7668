#include "shell/archive.h"
namespace kelm {
void mnuDiskZap(QWidget *) {}
void mnuDiskZar(QWidget *) {}
void mnuNewPer(QWidget *) {}
}
