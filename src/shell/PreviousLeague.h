#pragma once

#include <QString>

class QMdiArea;

// File > Open of another league: the grids and the player card still show
// the league opened before, and a change made there is no step of the new
// league's history. Asks whether to close them; each settles its edited row
// as its Close does (a write that fails keeps it open).
void offerToClosePreviousLeague(QMdiArea* area, const QString& previous, const QString& next);
