#pragma once

#include <QDialog>

// Help > About: title, version line, System Info.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    // Loads the single About window if needed and shows it, not modal.
    static frmAbout* showSingle();
};
