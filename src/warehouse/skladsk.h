#pragma once
// SkladSK: the revision of the warehouse over a period: for every article ever
// entered, what was received and issued in the period and what of it remains,
// with the total remaining value; modeless, one instance.

#include "scratch/scratchlist.h"
#include "warehouse/stocktexts.h"

#include <QDate>

namespace kelm {

class SkladSK : public ScratchList {
    Q_OBJECT
public:
    explicit SkladSK(QWidget *parent = nullptr);
    // Builds the revision for DiaSeek's period (again, when the screen is open).
    // False after a failure was reported.
    bool load();

    QDate periodStart() const { return m_start; }
    QDate periodEnd() const { return m_end; }

    void cmdPrint_Click() override;

private:
    QDate m_start, m_end;
};

// Склад > Ревизия after its dialog was confirmed: the open screen is built again
// for the new period and brought forward.
void showSkladSK();
// The open revision screen, or nullptr.
SkladSK *openSkladSK();

} // namespace kelm
