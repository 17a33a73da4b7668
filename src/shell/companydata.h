#pragma once
namespace kelm {
// Reads the company's own data (KelmCfg) into the gFirm* globals. Returns false
// when there is no company row (the message has been shown; the caller ends).
bool LoadCompanyData();
// Помощ > Инициализация: the company-data window, modeless, one instance.
void showPersonal();
}
