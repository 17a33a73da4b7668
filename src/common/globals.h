#pragma once
// Program-wide state: set at start-up or by the command that opens a screen, read
// by the dialogs and screens that follow. User-interface thread only.

#include <QString>

class QMainWindow;

namespace kelm {

class FrmMain;

extern QString gDbPath;
extern QString gTempDbPath;
extern QString gConnStr;
extern QString gTempConnStr;
extern bool gLoginOK;
extern QString gUserVid;
extern QString gFirmName;
extern QString gFirmAddress;
extern QString gFirmMOL;
extern QString gFirmBulstat;
extern QString gFirmTaxNo;
extern QString gFirmEmail;
extern QString gFirmCity;
extern QString gFirmCountry;
extern QString gFirmTel;
extern QString gFirmGSM;
extern QString gFirmURL;
extern QString gSkladMode;
extern QString gSeekMode;
extern FrmMain *gMain;

// The database password the connection string carries.
inline const char *kDbPassword = "Ratn5064";

// Sets gDbPath, gTempDbPath, gConnStr and gTempConnStr for a program folder
// (given without a trailing separator). gTempDbPath names this copy's own
// scratch database, "Temp-<process id>.mdb".
void setProgramFolder(const QString &folder);
QString programFolder();

// Panel 1 of the main window's status bar. Works without a main window too (the
// text is kept), so screens and tests need not care whether one exists.
void setStatusText(const QString &text);
QString statusText();

} // namespace kelm

namespace kelm {
// The main window routes panel 1 through this sink while it exists.
void setStatusSink(void (*sink)(const QString &));
}
