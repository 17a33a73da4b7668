#pragma once
// Looks at a laid-out report page as a reader would: every one-line text must
// fit its box, and no two texts of one printed line may run into each other.

namespace kelm {
class Report;
}

// The number of texts on the page that are cut or run into a neighbour (each
// one named in a warning).
int cutOrOverlappingTexts(kelm::Report &r, int page);
