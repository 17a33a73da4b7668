#pragma once
// Screens laid out at fixed places (the old forms' twips) keep their places, but a
// caption, check box or button whose text needs more room than its place gives
// (a larger font, a longer text) gets it: it grows to its text, everything to its
// right in the same frame moves right by as much, and the frame and the window
// grow with it. Nothing ever shrinks, so calling it again changes nothing.

class QWidget;

namespace kelm {

// Fits the texts of a window and of every frame in it; call it once the texts
// are set (again after a mode changes them).
void fitTexts(QWidget *window);

} // namespace kelm
