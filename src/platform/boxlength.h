#pragma once
// Text boxes that take no more characters than their field holds: typing stops at
// the field's length, so nothing typed is refused by a save for its length, and a
// longer text put in at once (pasted, dropped, the middle button) is refused whole
// with a message, the box unchanged: a value is never cut into another one. The
// saves keep their length checks, since a value can still come from elsewhere
// (another program, an older database); the program puts such a value into a box
// whole, never cut at the length, so that the check names it and nothing is
// shortened unseen.
//
//   limitTyping(txtName, kDriverNameLength);   // kDriverNameLength beside the check
//   setWholeText(txtName, storedName);         // shown whole even when longer

class QComboBox;
class QLineEdit;
class QString;

namespace kelm {

// The box takes at most `length` characters from the user (it becomes the box's
// validator).
void limitTyping(QLineEdit *box, int length);
// The same for the text of an editable list; an entry picked from the list is
// shown whole.
void limitTyping(QComboBox *box, int length);

// Puts a text into a box whole, however long; a box limited by limitTyping then
// takes typing up to the longer of its length and this text. Any text the program
// sets is taken so; this names the intent where a stored value is shown.
void setWholeText(QLineEdit *box, const QString &text);
void setWholeText(QComboBox *box, const QString &text);

} // namespace kelm
