#pragma once
class QWidget;
namespace kelm {
// Дискети > Записване: a consistent copy of the live database to an archive file.
void mnuDiskZap(QWidget *parent);
// Дискети > Зареждане: replaces Kelm.mdb by a chosen archive file of this program.
void mnuDiskZar(QWidget *parent);
// Дискети > Нова година: keeps a copy of the year, then deletes the trips.
void mnuNewPer(QWidget *parent);
}
