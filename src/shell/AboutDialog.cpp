#include "shell/AboutDialog.h"

#include "shell/SysInfo.h"
#include "ui/FormBuilder.h"
#include "ui/Prompts.h"
#include "ui/Version.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
QString withoutAccessKey(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}
} // namespace

// The labels' column beside the icon; the disclaimer, which goes under the
// separator, is handed back apart.
QLayout* AboutDialog::buildTextColumn(QLabel** disclaimer)
{
    const QString black = QStringLiteral("Arial Black");
    const QString plain = QStringLiteral("Arial");
    const QString standard = font().family();
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    // Title, description, version and author beside the icon; the
    // disclaimer under the separator.
    const form::LabelStyle styles[] = {
        {"lblTitle", QStringLiteral("Yardmark '99"), black, 16, true, {}, left},
        {"lblDescription",
         QStringLiteral("For use with Kickvale 99"),
         standard,
         9,
         false,
         {},
         left},
        {"lblVersion", QString(), standard, 9, false, {}, left},
        {"Label4", QStringLiteral("Written by the Yardmark '99 team"), plain, 8, false, {}, left},
        {"lblDisclaimer",
         QStringLiteral("Freeware from the Kickvale 99 community file libraries."),
         standard,
         8,
         false,
         {},
         left},
    };
    auto* text = new QVBoxLayout;
    text->setSpacing(fontMetrics().height() / 2);
    for (const form::LabelStyle& style : styles) {
        QLabel* label = form::makeLabel(this, style);
        if (label->objectName() == QLatin1String("lblDisclaimer"))
            *disclaimer = label;
        else
            text->addWidget(label);
    }
    // The text column is about fifty average characters wide, as designed.
    text->addStrut(fontMetrics().averageCharWidth() * 50);
    return text;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);

    const int line = fontMetrics().height(); // the room between parts follows the font
    QLabel* disclaimer = nullptr;
    QLayout* text = buildTextColumn(&disclaimer);

    auto* image = form::makeImage(this, QStringLiteral("Image1"), QStringLiteral("Program icon"),
                                  form::programIcon().pixmap(logicalDpiY() * 3 / 8));
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addSpacing(fontMetrics().averageCharWidth() * 3);
    top->addLayout(text, 1);

    // An etched separator: a shadow line with a light line beneath it.
    auto* separator = new QVBoxLayout;
    separator->setSpacing(0);
    separator->addWidget(
        form::makeLine(this, QStringLiteral("Line1_0"), palette().color(QPalette::Dark)));
    separator->addWidget(
        form::makeLine(this, QStringLiteral("Line1_1"), palette().color(QPalette::Light)));

    QPushButton* ok = addButton("cmdOK", QStringLiteral("OK"), &AboutDialog::confirm);
    QPushButton* sysInfo =
        addButton("cmdSysInfo", QStringLiteral("&System Info..."), &AboutDialog::showSystemInfo);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(separator);
    layout->addSpacing(line / 3);
    layout->addWidget(disclaimer);
    layout->addSpacing(line * 5 / 2);
    layout->addLayout(buttons);
    layout->setAlignment(buttons, Qt::AlignRight);
    // A fixed border: the size follows the font and the screen's DPI.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Default button: Enter presses OK. Cancel button: Esc rejects the
    // dialog, which unloads it just as OK does.
    ok->setDefault(true);
    ok->setFocus();

    showTitleAndVersion();
}

QPushButton* AboutDialog::addButton(const char* name, const QString& caption,
                                    void (AboutDialog::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(withoutAccessKey(caption));
    // Both buttons as wide as the wider caption needs, at least 15 characters.
    button->setMinimumWidth(fontMetrics().averageCharWidth() * 15);
    button->setMinimumHeight(fontMetrics().height() * 3 / 2);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void AboutDialog::showTitleAndVersion()
{
    setWindowTitle(QStringLiteral("About ") + Prompts::applicationTitle());
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
