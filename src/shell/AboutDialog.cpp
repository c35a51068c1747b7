#include "shell/AboutDialog.h"

#include "shell/SysInfo.h"
#include "ui/FormBuilder.h"
#include "ui/Globals.h"
#include "ui/Version.h"

#include <QLabel>
#include <QPushButton>

namespace {
QString withoutAccessKey(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}
} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    form::setClientSizeTwips(this, 5730, 3555);

    const QString black = QStringLiteral("Arial Black");
    const QString plain = QStringLiteral("Arial");
    const QString standard = font().family();
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const form::LabelSpec labels[] = {
        {"lblTitle",
         QStringLiteral("Yardmark '99"),
         {1050, 120, 4440, 480},
         black,
         16,
         true,
         {},
         left},
        {"lblDescription",
         QStringLiteral("For use with Kickvale 99"),
         {1050, 705, 4440, 330},
         standard,
         9,
         false,
         {},
         left},
        {"lblVersion", QString(), {1050, 1065, 4440, 270}, standard, 9, false, {}, left},
        {"Label4",
         QStringLiteral("Written by the Yardmark '99 team"),
         {1050, 1395, 4440, 270},
         plain,
         8,
         false,
         {},
         left},
        {"lblDisclaimer",
         QStringLiteral("Freeware from the Kickvale 99 community file libraries."),
         {255, 1920, 5220, 285},
         standard,
         8,
         false,
         {},
         left},
    };
    for (const form::LabelSpec& label : labels)
        form::addLabel(this, label);

    // An etched separator: a shadow line with a light line beneath it.
    form::addLine(this, QStringLiteral("Line1_0"), {225, 1755, 5280, 15},
                  palette().color(QPalette::Dark));
    form::addLine(this, QStringLiteral("Line1_1"), {225, 1770, 5280, 15},
                  palette().color(QPalette::Light));
    form::addImage(this, QStringLiteral("Image1"), QStringLiteral("Program icon"),
                   form::programIcon().pixmap(twipsToPixels(this, 540)), {240, 240});

    QPushButton* ok =
        addButton("cmdOK", QStringLiteral("OK"), {4095, 2625, 1410, 345}, &AboutDialog::confirm);
    addButton("cmdSysInfo", QStringLiteral("&System Info..."), {4095, 3075, 1410, 345},
              &AboutDialog::showSystemInfo);
    // Default button: Enter presses OK. Cancel button: Esc rejects the
    // dialog, which unloads it just as OK does.
    ok->setDefault(true);
    ok->setFocus();

    load();
}

QPushButton* AboutDialog::addButton(const char* name, const QString& caption, const QRect& twips,
                                    void (AboutDialog::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(withoutAccessKey(caption));
    button->setGeometry(twipsRect(this, twips.x(), twips.y(), twips.width(), twips.height()));
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void AboutDialog::load()
{
    setWindowTitle(QStringLiteral("About ") + program::applicationTitle());
    auto* version = findChild<QLabel*>(QStringLiteral("lblVersion"));
    version->setText(QStringLiteral("Version %1.%2.%3")
                         .arg(version::Major)
                         .arg(version::Minor)
                         .arg(version::Revision));
    version->setAccessibleName(version->text());
}

void AboutDialog::confirm()
{
    close();
}

void AboutDialog::showSystemInfo()
{
    startSystemInfo(this);
}
