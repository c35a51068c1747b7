#pragma once

#include <QWidget>

// The player grid window (being built on the table grid window).
class frmDataGridPlayers : public QWidget
{
    Q_OBJECT
public:
    static frmDataGridPlayers* instance();
    void GetSettings();
};
