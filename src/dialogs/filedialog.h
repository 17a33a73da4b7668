#pragma once
#include <QFileDialog>

namespace kelm {

// Every file dialog of the program. It picks a file to read or a name to write
// and nothing more: its list is read-only, so it renames, deletes and makes no
// file or folder (Qt's own rename, delete and new-folder actions are off). It is
// Qt's own dialog on every desktop, since a desktop's dialog offers those
// actions whatever the program asks.
class FileDialog : public QFileDialog {
    Q_OBJECT
public:
    FileDialog(QWidget *parent, const QString &caption, const QString &folder, const QString &filter);

    // Makes a file dialog of Qt's own pick only: the program's, and one Qt opens
    // by itself (the print dialog's "print to file"), as it is shown.
    static void makePickOnly(QFileDialog &dialog);

protected:
    void showEvent(QShowEvent *e) override;
};

} // namespace kelm
