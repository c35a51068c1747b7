#pragma once

#include <QDialog>

class QPushButton;

// Help > About: title, version line, System Info. Not modal, one at a time;
// OK, Enter and Esc unload it.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    // Loads the single About window if needed and shows it, not modal.
    static frmAbout* showSingle();

    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void Form_Load();
    QPushButton* addButton(const char* name, const QString& caption, const QRect& twips,
                           void (frmAbout::*handler)());
};
