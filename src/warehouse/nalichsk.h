#pragma once
// NalichSK: the stock on hand of the articles whose name begins with the prefix
// typed in the search dialog, with each count's value and the total; modal.

#include "scratch/scratchlist.h"

namespace kelm {

class NalichSK : public ScratchList {
    Q_OBJECT
public:
    explicit NalichSK(QWidget *parent = nullptr);
    // Reads DiaSeek's prefix and lists the stock. False after a failure was
    // reported; the screen is then not shown.
    bool load();

    void cmdPrint_Click() override;
};

// Склад > Наличност after its dialog was confirmed.
void showNalichSK();

} // namespace kelm
