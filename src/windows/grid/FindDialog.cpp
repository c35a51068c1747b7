#include "windows/grid/FindDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
template <typename W> W* named(W* widget, const QString& name, const QString& accessible)
{
    widget->setObjectName(name);
    widget->setAccessibleName(accessible);
    return widget;
}
} // namespace

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent), m_text(named(new QLineEdit, u"txtFind"_s, u"Find what"_s)),
      m_currentColumn(named(new QRadioButton(u"C&urrent column"_s), u"optCurrentColumn"_s,
                            u"Current column"_s)),
      m_allColumns(named(new QRadioButton(u"&All visible columns"_s), u"optAllColumns"_s,
                         u"All visible columns"_s)),
      m_matchCase(named(new QCheckBox(u"&Match case"_s), u"chkMatchCase"_s, u"Match case"_s)),
      m_next(named(new QPushButton(u"Find &Next"_s), u"cmdFindNext"_s, u"Find Next"_s)),
      m_previous(
          named(new QPushButton(u"Find &Previous"_s), u"cmdFindPrevious"_s, u"Find Previous"_s)),
      m_status(named(new QLabel, u"lblStatus"_s, u"Status"_s))
{
    setObjectName(u"frmFind"_s);
    setWindowTitle(u"Find"_s);
    m_currentColumn->setChecked(true);
    auto* label = new QLabel(u"Find &what:"_s);
    label->setBuddy(m_text);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(m_next, QDialogButtonBox::ActionRole);
    buttons->addButton(m_previous, QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(u"cmdClose"_s);
    m_next->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(label, m_text);
    layout->addLayout(form);
    layout->addWidget(m_currentColumn);
    layout->addWidget(m_allColumns);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_status);
    layout->addWidget(buttons);

    connect(m_next, &QPushButton::clicked, this, [this] { emit findRequested(false); });
    connect(m_previous, &QPushButton::clicked, this, [this] { emit findRequested(true); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
}

QString FindDialog::text() const
{
    return m_text->text();
}

bool FindDialog::allColumns() const
{
    return m_allColumns->isChecked();
}

bool FindDialog::matchCase() const
{
    return m_matchCase->isChecked();
}

void FindDialog::setStatus(const QString& text)
{
    m_status->setText(text);
}
