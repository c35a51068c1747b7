#include "windows/players/CardMeanings.h"

#include "core/db/Database.h"
#include "core/db/Schema.h"
#include "ui/Prompts.h"
#include "windows/grid/CodeEditor.h"
#include "windows/grid/LeagueMeanings.h"
#include "windows/grid/SharedMeanings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

CardMeanings::CardMeanings(QWidget* card, SharedMeanings* shared,
                           std::function<void(int, const QString&)> picked)
    : QObject(card), m_card(card), m_picked(std::move(picked)), m_areaMeanings(shared)
{
    connect(shared, &SharedMeanings::showCodesChanged, this, &CardMeanings::changed);
}

db::CodeKind CardMeanings::kindOf(int column) const
{
    return db::codeKindOf(u"PlayerTable"_s, db::schema::playerColumns().value(column));
}

void CardMeanings::setLeague(db::Database& database)
{
    if (m_shared)
        disconnect(m_shared.get(), nullptr, this, nullptr);
    m_shared = m_areaMeanings->forLeague(database.path());
    connect(m_shared.get(), &LeagueMeanings::changed, this, &CardMeanings::changed);
    m_shared->update(database);
    emit changed(); // the drop-downs list this league's names
}

QWidget* CardMeanings::boxFor(QLineEdit* edit, int column)
{
    const db::CodeKind kind = kindOf(column);
    if (kind == db::CodeKind::None || kind == db::CodeKind::Player)
        return edit;
    const QString field = db::schema::playerColumns().value(column);
    QComboBox* box = makeCodeComboBox(nullptr, {});
    box->setObjectName(u"cbo"_s + field);
    box->setAccessibleName(edit->accessibleName());
    box->setLineEdit(edit);
    // The names are those of the league shown when the list opens.
    const auto fill = [this, box, kind] {
        const QString text = box->lineEdit()->text();
        box->clear();
        if (m_shared) {
            for (const db::CodeChoice& choice : m_shared->lookup().choices(kind))
                box->addItem(choice.name);
        }
        box->setCurrentIndex(-1);
        box->setEditText(text);
    };
    connect(this, &CardMeanings::changed, box, fill);
    fill();
    connect(box, &QComboBox::textActivated, this,
            [this, column](const QString& name) { m_picked(column, name); });
    return box;
}

std::optional<db::Meaning> CardMeanings::meaning(int column, const QVariant& stored) const
{
    const db::CodeKind kind = kindOf(column);
    if (kind == db::CodeKind::None || !m_shared || m_areaMeanings->showsCodes())
        return std::nullopt;
    return m_shared->lookup().meaning(kind, db::schema::playerColumns().value(column), stored);
}

std::optional<QString> CardMeanings::storedText(int column, const QString& typed,
                                                const QVariant& now)
{
    const db::CodeKind kind = kindOf(column);
    const QString text = typed.trimmed();
    bool whole = false;
    text.toLongLong(&whole);
    if (kind == db::CodeKind::None || kind == db::CodeKind::Player || !m_shared || text.isEmpty())
        return typed;
    if (m_asking)
        return std::nullopt;
    const QString field = db::schema::playerColumns().value(column);
    QString stored = text;
    if (!whole) {
        const std::optional<qint64> code = m_shared->lookup().codeNamed(kind, text);
        if (!code) {
            const QString why = u"No %1 is named %2. Pick one from the list, or type its %3."_s.arg(
                db::LeagueLookup::noun(kind), db::quotedText(text), field);
            QTimer::singleShot(0, m_card, [card = m_card, why] { Prompts::refuse(card, why); });
            return std::nullopt;
        }
        stored = QString::number(*code);
    }
    const QVariant code = stored.toLongLong();
    if (stored != now.toString() && !m_shared->lookup().meaning(kind, field, code).known) {
        m_asking = true;
        const bool store = Prompts::ask(
            m_card, db::LeagueLookup::noneHas(kind, field, code) + u" Store it anyway?"_s,
            QMessageBox::No);
        m_asking = false;
        if (!store)
            return std::nullopt;
    }
    return stored;
}

void CardMeanings::written(db::Database& database)
{
    if (m_shared)
        m_shared->tableWritten(database, u"PlayerTable"_s);
}
