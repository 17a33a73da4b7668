#pragma once
#include <QDialog>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "platform/database.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

// Reads the company's own data (KelmCfg) into the gFirm* globals. Returns false
// when there is no company row (the message has been shown; the caller ends).
bool LoadCompanyData();
// Помощ > Инициализация: the company-data window, modeless, one instance.
void showPersonal(QWidget *parent = nullptr);

// Called after the company data changed (saved on Personal, or a restored
// archive): the main window sets it to put the new name into its title.
void setCompanyChangedHandler(std::function<void()> handler);
void notifyCompanyChanged();

// The company's data as the form edits it, in the order of KelmCfg's fields.
struct CompanyData {
    QString name, address, mol, bulstat, taxNo, email, city, country, tel, gsm, url;
};

// Checks the five required values (name, address, city, telephone, GSM) in that
// order; returns the message of the first empty one as its two lines, or {}.
QStringList companyDataProblem(const CompanyData &d);
// The values as they are stored and held: trimmed; an empty optional one is " ".
CompanyData normalizedCompanyData(const CompanyData &d);

// The company-data window.
class Personal : public QDialog {
    Q_OBJECT
public:
    // The one open instance, or nullptr.
    static Personal *instance();

    QGroupBox *Frame1;
    QLineEdit *txtFirmaName;
    QLineEdit *txtFirmaAdres;
    QLineEdit *txtFirmaMOL;
    QLineEdit *txtFirmaBULSTAT;
    QLineEdit *txtFirmaDanN;
    QLineEdit *txtFirmaEmail;
    QLineEdit *txtFirmaCity;
    QLineEdit *txtFirmaCountry;
    QLineEdit *txtFirmaTel;
    QLineEdit *txtFirmaFax;
    QLineEdit *txtFirmaURL;
    QPushButton *OKButton;
    QPushButton *cmdCancel;

    // Reads the row into the globals and the boxes; false when there is none.
    bool Form_Load();
    void OKButton_Click();
    void cmdCancel_Click();

public Q_SLOTS:
    void reject() override;

private:
    explicit Personal(QWidget *parent = nullptr);
    ~Personal() override;
    friend void showPersonal(QWidget *parent);
    CompanyData typed() const;

    RowAsRead m_read;          // the company's row as loaded or last written
    CompanyData m_shown;       // as loaded or last written
    bool m_dropTyped = false;  // "Отказ": closing drops what was typed, unasked
};

} // namespace kelm
