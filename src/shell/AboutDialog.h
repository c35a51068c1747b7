#pragma once

#include <QDialog>

class QLabel;
class QLayout;
class QPushButton;

// Help > About: title, version line, System Info. Not modal, one at a time
// (the main window holds it);
// OK, Enter and Esc unload it.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    void confirm();
    void showSystemInfo();

private:
    QLayout* buildTextColumn(QLabel** disclaimer);
    void showTitleAndVersion();
    QPushButton* addButton(const char* name, const QString& caption,
                           void (AboutDialog::*handler)());
};
