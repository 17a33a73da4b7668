#pragma once
// The splash screen shown while the program starts.

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;

namespace kelm {

// The program's picture (splash, About box, window icon).
QPixmap programPicture(int size);
// The login name of the user running the program.
QString userLoginName();

class FrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit FrmSplash(QWidget *parent = nullptr);

    QFrame *fraMainFrame;
    QLabel *picLogo;
    QLabel *lblProductName;
    QLabel *lblVersion;
    QLabel *lblCompanyProduct;
    QLabel *lblUser;
    QLabel *lblPlatform;
    QLabel *lblCompany;
    QLabel *lblCopyright;
};

} // namespace kelm
