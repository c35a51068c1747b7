#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// File > Write Back to Access Database…: the league's changes written into
// the Access file it was imported from, after a summary of what will be
// written and what cannot be (which can be saved as CSV), with a progress
// window while the file is read and checked. Questions and errors belong to
// owner's window. Returns the status bar's sentence; empty when nothing was
// done or the user cancelled.
QString writeBackToAccess(QWidget* owner, const QString& league, const QStringList& heldLeagues);
