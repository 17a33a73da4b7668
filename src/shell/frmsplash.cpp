#include "shell/frmsplash.h"

#include "common/globals.h"
#include "platform/version.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSysInfo>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

namespace kelm {

QPixmap programPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
    p.fillPath(box, QColor(0x1f, 0x4e, 0x8c));
    // A lorry in profile: cargo box, cab and two wheels.
    const double u = size / 16.0;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2 * u, 4.5 * u, 8 * u, 6 * u));
    p.drawRect(QRectF(10.5 * u, 6.5 * u, 3.5 * u, 4 * u));
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawEllipse(QPointF(4.5 * u, 11.8 * u), 1.4 * u, 1.4 * u);
    p.drawEllipse(QPointF(11.8 * u, 11.8 * u), 1.4 * u, 1.4 * u);
    return pm;
}

QString userLoginName()
{
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

FrmSplash::FrmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameShape(QFrame::Box);
    outer->addWidget(fraMainFrame);

    auto mk = [this](const char *name) {
        auto *l = new QLabel(fraMainFrame);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    picLogo = mk("picLogo");
    lblProductName = mk("lblProductName");
    lblVersion = mk("lblVersion");
    lblCompanyProduct = mk("lblCompanyProduct");
    lblUser = mk("lblUser");
    lblPlatform = mk("lblPlatform");
    lblCompany = mk("lblCompany");
    lblCopyright = mk("lblCopyright");

    picLogo->setPixmap(programPicture(96));
    QFont big = font();
    big.setPointSize(big.pointSize() * 2 + 4);
    big.setBold(true);
    lblProductName->setFont(big);
    QFont mid = font();
    mid.setPointSize(mid.pointSize() + 2);
    lblCompanyProduct->setFont(mid);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPlatform->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *g = new QGridLayout(fraMainFrame);
    g->setContentsMargins(16, 14, 16, 12);
    g->setHorizontalSpacing(18);
    g->addWidget(picLogo, 0, 0, 3, 1, Qt::AlignTop);
    g->addWidget(lblCompanyProduct, 0, 1, 1, 2);
    g->addWidget(lblProductName, 1, 1, 1, 2);
    g->addWidget(lblVersion, 2, 2);
    g->addWidget(lblPlatform, 3, 2);
    g->addWidget(lblUser, 4, 1, 1, 2);
    g->setRowStretch(5, 1);
    g->addWidget(lblCompany, 6, 0, 1, 3);
    g->addWidget(lblCopyright, 7, 0, 1, 3);
    g->setColumnStretch(1, 1);

    // Filled in the order the start-up shows them.
    lblVersion->setText(QStringLiteral("Версия ") + versionFull());
    lblCompany->setText(QStringLiteral("Разработка: екипът на Тревалон"));
    lblCopyright->setText(QStringLiteral("© 2004 Тревалон. Всички права запазени."));
    lblProductName->setText(QStringLiteral("Тревалон"));
    lblCompanyProduct->setText(gFirmName);
    lblUser->setText(QStringLiteral("Потребител: ") + userLoginName());
    lblPlatform->setText(QSysInfo::prettyProductName());

    setFixedSize(492, 283);
}

} // namespace kelm
