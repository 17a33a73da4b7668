#pragma once
// Layout checks for screens laid out at fixed places: every visible caption shows
// its whole text inside its frame and touches no other caption or box.

class QPixmap;
class QWidget;

// Fails the running test (QVERIFY) at the first caption cut or overlapping.
void checkNoOverlap(QWidget *top);

// Fails the running test at the first button whose caption does not fit it or
// that its frame or window cuts off.
void checkButtonsWhole(QWidget *top);

// With KELM_SHOTS naming a folder, a picture of what the test saw goes there.
void lookAt(const QPixmap &picture, const char *name);
