#pragma once
// What a file dialog of the program would let the user change: it must pick a
// file and do nothing else to any.

#include <QString>

class QFileDialog;

// "" when the dialog is Qt's own, read-only (its list renames nothing), and its
// rename, delete and new-folder actions and button are off; else what is not.
QString fileDialogChanges(QFileDialog *dialog);
