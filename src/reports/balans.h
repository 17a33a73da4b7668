#pragma once
// Balans: each own car's income against its costs ("Баланс на колите") or its
// fuel by norm against the fuel filled ("Разход нафта") over DiaSeek's period,
// one row per car in the screen's own scratch rows (layout TempBalans), with the
// money total, printed on rptBalans. The mode is taken when the rows are built;
// the print follows it. Modeless, one instance: the command run again while it is
// open builds it again for the new period and mode.

#include "reports/balansrules.h"
#include "scratch/scratchlist.h"

namespace kelm {

class Report;

class Balans : public ScratchList {
    Q_OBJECT
public:
    explicit Balans(QWidget *parent = nullptr);
    ~Balans() override;

    // The open screen, or null.
    static Balans *instance();

    // Builds the rows for the period of DiaSeek and the mode of gSeekMode. False
    // after a failure was reported.
    bool load();
    void cmdPrint_Click() override;

    BalansMode mode() const { return m_mode; }
    const BalansFigures &figures() const { return m_figures; }

private:
    // Writes one row per car of figures into the scratch table, in the mode's format.
    static void stageRows(Connection &c, const BalansFigures &figures, BalansMode mode);
    void setColumns();

    BalansMode m_mode = BalansMode::Money;
    QDate m_start, m_end;
    BalansFigures m_figures;
};

// Справки > Баланс на колите / Разход нафта: shows the screen modeless, or builds
// the open one again and brings it forward.
void showBalans();

// The design's instance.
Report &rptBalans();

} // namespace kelm
