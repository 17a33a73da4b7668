#pragma once
// Screens of the offscreen platform: a test program that calls this before its
// application starts (from a Q_CONSTRUCTOR_FUNCTION) runs on the given screens,
// the first one primary, instead of the platform's one default screen. Under
// any other platform nothing changes: a test needing the screens skips.
#include <QList>
#include <QRect>

void useOffscreenScreens(const QList<QRect> &screens);
