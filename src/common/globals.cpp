#include "common/globals.h"

#include <QCoreApplication>
#include <QDir>

namespace kelm {

QString gDbPath;
QString gTempDbPath;
QString gConnStr;
QString gTempConnStr;
bool gLoginOK = false;
QString gUserVid;
QString gFirmName;
QString gFirmAddress;
QString gFirmMOL;
QString gFirmBulstat;
QString gFirmTaxNo;
QString gFirmEmail;
QString gFirmCity;
QString gFirmCountry;
QString gFirmTel;
QString gFirmGSM;
QString gFirmURL;
QString gSkladMode;
QString gSeekMode;
FrmMain *gMain = nullptr;

static QString s_folder;
static QString s_status;
static void (*s_statusSink)(const QString &) = nullptr;

void setProgramFolder(const QString &folder)
{
    s_folder = QDir::cleanPath(folder);
    gDbPath = s_folder + "/Kelm.mdb";
    // Each running copy has a scratch database of its own (scratch/temptable.h).
    gTempDbPath = s_folder + QStringLiteral("/Temp-%1.mdb").arg(QCoreApplication::applicationPid());
    gConnStr = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + gDbPath
        + QStringLiteral(";Jet OLEDB:Database Password=") + QLatin1String(kDbPassword) + ";";
    gTempConnStr = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + gTempDbPath + ";";
}

QString programFolder()
{
    return s_folder;
}

void setStatusSink(void (*sink)(const QString &))
{
    s_statusSink = sink;
}

void setStatusText(const QString &text)
{
    s_status = text;
    if (s_statusSink)
        s_statusSink(text);
}

QString statusText()
{
    return s_status;
}

} // namespace kelm
