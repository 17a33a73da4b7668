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

    // The options every file dialog of the program has.
    static Options pickOnly();

protected:
    void showEvent(QShowEvent *e) override;

private:
    void offerNoNewFolder();
};

} // namespace kelm
