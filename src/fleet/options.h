#pragma once
// Options: the settings screen with two tabs, "Коли" (the own cars in Config,
// a record screen on the data form) and "Тарифи" (the one row of distance-band
// tariffs in Tarifi); and the checks both pages run before saving.
#include "platform/database.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kelm {

class DataForm;

// The tariff fields in the order of the boxes Text1 to Text6, and their labels.
QStringList tariffFields();
QStringList tariffLabels();

// The message for a tariff box being typed into, or "" while it is still fine
// (a number not below zero, or nothing yet).
QString checkTariffTyping(const QString &text);
// The first tariff text that is not a number from zero up (empty included): its
// index, or nullopt when all six are.
std::optional<int> firstBadTariff(const QStringList &texts);

// The typed fields of one car.
struct CarFields {
    QString kola, Razhod, Procent, Ton;
};
// The first check a car fails, as the message to show, or "" when it passes.
// kolaTaken: another car already has this number.
QString checkCarFields(const CarFields &f, bool kolaTaken);

class Options : public QDialog {
    Q_OBJECT
public:
    explicit Options(QWidget *parent = nullptr);
    ~Options() override;
    // Opens the connection, the cars and the tariffs; false (after the message)
    // when it fails.
    bool load();

    DataForm *form() const { return m_form; }
    // The tariffs as the recordset holds them, in their boxes.
    void showTariffs();
    // "Запиши" of the "Тарифи" page; true when written.
    bool saveTariffs();

public Q_SLOTS:
    void reject() override;

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    // What would be lost by closing now, as the lines of the question asked
    // before; empty when nothing typed is unwritten.
    QStringList unsavedWork() const;
    QStringList carTexts() const;
    QStringList tariffTexts() const;
    bool validateCar();
    void selectTab(int index);
    void tariffEdited(QLineEdit *box);

    Connection m_conn;
    Recordset m_adoConfigRS;
    Recordset m_adoTarifaRS;
    QTabWidget *m_tbsOptions = nullptr;
    QWidget *m_picOptions[2];
    QLineEdit *m_txtFields1[4];
    QLineEdit *m_text[6];
    QPushButton *m_cmdUpdate2 = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    DataForm *m_form = nullptr;
    bool m_hasTariffs = false;
    QStringList m_carShown;     // the car's boxes when "Добави" or "Поправи" was pressed
    QStringList m_tariffsShown; // the tariff boxes as loaded or last written
};

// Служебна > Настройки: shows the settings screen modally.
void showOptions();

} // namespace kelm
