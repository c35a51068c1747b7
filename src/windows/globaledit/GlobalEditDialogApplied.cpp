// The Global Edit dialog's aids: the rows' labels and "Set all…" buttons,
// the line that says what OK applied, and the check before applying it again.
#include "core/db/Database.h"
#include "core/globaledit/DecimalText.h"
#include "ui/Prompts.h"
#include "windows/globaledit/GlobalEditDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTime>
#include <algorithm>

namespace {
QLabel* addRowLabel(QWidget* parent, const QByteArray& objectName, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAccessibleName(caption);
    return label;
}
} // namespace

void GlobalEditDialog::addRowLabels(QGridLayout* grid, int row)
{
    const QByteArray n = QByteArray::number(row / 3 + 1);
    QWidget* frame = grid->parentWidget();
    grid->addWidget(addRowLabel(frame, "lblActualRow" + n, QStringLiteral("Actual:")), row + 1, 0);
    grid->addWidget(addRowLabel(frame, "lblPotentialRow" + n, QStringLiteral("Potential:")),
                    row + 2, 0);
}

void GlobalEditDialog::addSetAllButtons(QGridLayout* grid, int row, int columns)
{
    using globaledit::RatingSide;
    const struct {
        const char* name;
        const char* caption;
        const char* spoken;
        RatingSide side;
    } buttons[] = {
        {"cmdSetAllAct", "Set &all\u2026", "Set All Actual", RatingSide::Actual},
        {"cmdSetAllPot", "Set a&ll\u2026", "Set All Potential", RatingSide::Potential},
    };
    auto* line = new QHBoxLayout;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), grid->parentWidget());
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAccessibleName(QString::fromLatin1(b.spoken));
        button->setToolTip(QStringLiteral("Put one percentage into every %1 box")
                               .arg(b.side == RatingSide::Actual ? QStringLiteral("actual")
                                                                 : QStringLiteral("potential")));
        connect(button, &QPushButton::clicked, this,
                [this, side = b.side] { setAllPercentages(side); });
        // Which row each one fills, as the rows' own labels say it.
        const bool actual = b.side == RatingSide::Actual;
        QLabel* label =
            addRowLabel(grid->parentWidget(), actual ? "lblSetAllAct" : "lblSetAllPot",
                        actual ? QStringLiteral("Actual:") : QStringLiteral("Potential:"));
        label->setBuddy(button);
        line->addWidget(label);
        line->addWidget(button);
        line->addSpacing(12);
    }
    line->addStretch();
    grid->addLayout(line, row, 0, 1, columns);
}

void GlobalEditDialog::setAllPercentages(globaledit::RatingSide side)
{
    const bool actual = side == globaledit::RatingSide::Actual;
    const QString text = Prompts::input(this, QStringLiteral("Percentage for every %1 rating:")
                                                  .arg(actual ? QStringLiteral("actual")
                                                              : QStringLiteral("potential")))
                             .trimmed();
    if (text.isEmpty())
        return; // Cancel
    if (!globaledit::parseDecimal(text)) {
        Prompts::refuse(this, QStringLiteral("Please Enter a Valid Number"));
        return;
    }
    for (const RatingBoxes& r : m_ratings)
        (actual ? r.actual : r.potential)->setText(text);
}

namespace {
// "1,656 players" changed in "QB, HB".
std::pair<QString, QString> editSummary(const globaledit::GlobalEdit& edit,
                                        const globaledit::ChangedPlayers& changed)
{
    qint64 players = 0;
    QStringList positions;
    for (int p = 0; p < db::schema::PositionCount; ++p) {
        if (!edit.positions.test(size_t(p)))
            continue;
        players += changed[size_t(p)];
        positions << db::schema::positions().at(p);
    }
    return {QStringLiteral("%1 %2").arg(QLocale(QLocale::English).toString(players),
                                        players == 1 ? QStringLiteral("player")
                                                     : QStringLiteral("players")),
            positions.join(QStringLiteral(", "))};
}
} // namespace

// "Global edit: 13,402 players changed in QB, HB (team All)"
QString GlobalEditDialog::resultText(const globaledit::GlobalEdit& edit,
                                     const globaledit::ChangedPlayers& changed) const
{
    const auto [players, positions] = editSummary(edit, changed);
    return QStringLiteral("Global edit: %1 changed in %2 (team %3)")
        .arg(players, positions, m_teams->currentText());
}

bool GlobalEditDialog::repeatsLastEdit(const globaledit::GlobalEdit& edit) const
{
    return m_lastApplied && m_lastApplied->league == m_leaguePath && m_lastApplied->edit == edit &&
           m_lastApplied->counter &&
           db::Database::changeCounterOf(m_leaguePath) == m_lastApplied->counter;
}

// "Applied at 14:05 — 1,656 players changed in QB, team All. Edit > Undo
// takes it back."
void GlobalEditDialog::showApplied(const globaledit::GlobalEdit& edit,
                                   const globaledit::ChangedPlayers& changed)
{
    const auto [players, positions] = editSummary(edit, changed);
    QString text = QStringLiteral("Applied at %1 \u2014 %2 changed in %3, team %4.")
                       .arg(QTime::currentTime().toString(QStringLiteral("HH:mm")), players,
                            positions, m_teams->currentText());
    const bool any = std::any_of(changed.begin(), changed.end(), [](qint64 n) { return n > 0; });
    if (any && m_lastUndoable)
        text += QStringLiteral(" Edit > Undo takes it back.");
    m_applied->setText(text);
    m_lastApplied.reset();
    if (any)
        m_lastApplied =
            AppliedEdit{edit, m_leaguePath, db::Database::changeCounterOf(m_leaguePath)};
}
