#pragma once
// Typing into widgets in tests: QTest::keyClicks aborts on Cyrillic text in Qt 6.4,
// so each character is sent as its own key event.
#include <QString>
class QWidget;
void typeText(QWidget *w, const QString &text);
