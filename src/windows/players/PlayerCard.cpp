#include "windows/players/PlayerCard.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "ui/Prompts.h"
#include "windows/grid/DataControl.h"
#include "windows/grid/DataGridView.h"
#include "windows/grid/ShowCodes.h"
#include "windows/players/CardMeanings.h"
#include "windows/players/PlayerColumns.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"
#include "windows/players/RatingsChart.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;
using db::schema::PlayerColumnCount;
using db::schema::PlayerFixedColumnCount;

// The ratings table; it hands a typed but not yet entered value to the card
// before the card saves or moves on.
class RatingsTable : public QTableWidget
{
public:
    using QTableWidget::QTableWidget;
    void finishEditing()
    {
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

namespace {

// Names the change the way Edit > Undo lists it: a few fields, then a count.
QString describeChange(const QStringList& captions, const QString& playerName)
{
    constexpr int Named = 4;
    QString fields = captions.mid(0, Named).join(QStringLiteral(", "));
    if (captions.size() > Named)
        fields += QStringLiteral(" and %1 more").arg(captions.size() - Named);
    return QStringLiteral("Change of %1 for %2").arg(fields, playerName);
}

constexpr int IdentityPairsPerRow = 3;
enum RatingsColumn { NameColumn, ShortNameColumn, ActualColumn, PotentialColumn };

int actualColumnOf(int rating)
{
    return PlayerFixedColumnCount + 2 * (rating - 1);
}

// The ratings in the table's order: the edited ones as the global edit lays
// them out, then the shown-only ones by number.
QList<int> tableRatings()
{
    QList<int> ratings(db::schema::EditOrder.begin(), db::schema::EditOrder.end());
    for (int n = db::schema::EditableRatingCount + 1; n <= db::schema::RatingCount; ++n)
        ratings << n;
    return ratings;
}

// "InjuryWeeksOnList" -> "Injury Weeks On List".
QString spacedName(const QString& field)
{
    static const QRegularExpression wordStart(u"(?<=[a-z])(?=[A-Z])"_s);
    return QString(field).replace(wordStart, u" "_s);
}

// A value as stored: a real keeps a decimal point, so 45.0 does not pass for
// the whole number 45; binary data has no text form.
QString textOf(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return u"(%1 bytes)"_s.arg(value.toByteArray().size());
    QString text = value.toString();
    static const QRegularExpression pointOrWord(u"[.eEni]"_s); // 1.5, 1e+20, nan, inf
    if (value.typeId() == QMetaType::Double && !text.contains(pointOrWord))
        text += u".0"_s;
    return text;
}

QString storageOf(const QVariant& value)
{
    if (value.isNull())
        return u"Stored as Null (no value)"_s;
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return u"Stored as a whole number"_s;
    case QMetaType::Double:
        return u"Stored as a real number"_s;
    case QMetaType::QByteArray:
        return u"Stored as binary data (not editable here)"_s;
    default:
        return u"Stored as text"_s;
    }
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(QString(text).remove(u'&'));
    return label;
}

// A changed value's mark: the window's own base colour tinted amber, so the
// palette's text stays readable on it, light or dark.
QColor changedMark(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor amber(255, 196, 0);
    constexpr float Tint = 0.3f;
    const auto mix = [&](float from, float to) { return from + (to - from) * Tint; };
    return QColor::fromRgbF(mix(base.redF(), amber.redF()), mix(base.greenF(), amber.greenF()),
                            mix(base.blueF(), amber.blueF()));
}

void markChanged(QWidget* edit, bool changed)
{
    QFont font = edit->font();
    font.setBold(changed);
    edit->setFont(font);
    // Only the base is the box's own: every other colour, and the base of an
    // unchanged box, follows the window's palette.
    QPalette palette;
    if (changed)
        palette.setColor(QPalette::Base, changedMark(edit->parentWidget()->palette()));
    edit->setPalette(palette);
}

void markChanged(QTableWidgetItem* item, bool changed)
{
    QFont font = item->font();
    font.setBold(changed);
    item->setFont(font);
    item->setBackground(changed ? QBrush(changedMark(item->tableWidget()->palette())) : QBrush());
}
} // namespace

PlayerCard::PlayerCard()
{
    setObjectName(u"frmPlayerCard"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    m_meanings = new CardMeanings(
        this, [this](int column, const QString& name) { typeValue(column, name); });
    connect(m_meanings, &CardMeanings::changed, this, [this] {
        if (m_row)
            showValues();
    });
    buildControls();
}

PlayerCard::~PlayerCard() = default;

QString PlayerCard::leaguePath() const
{
    return m_db ? m_db->path() : QString();
}

void PlayerCard::leagueChanged(const QString& leaguePath)
{
    if (!m_db || m_db->path() != leaguePath || hasChanges() || m_key < 0)
        return;
    const db::Error e = readPlayer(m_key);
    if (e.number == db::RowVanished) {
        // Gone with the change (Clear Database, an undone add): nothing to
        // show, nothing to report. An undo that brings him back shows him.
        m_row.reset();
        m_readRow.clear();
    } else if (e) {
        Prompts::showError(this, e.message());
    }
    showValues();
}

QPushButton* PlayerCard::addButton(const char* name, const QString& caption,
                                   void (PlayerCard::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(caption).remove(u'&'));
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void PlayerCard::buildControls()
{
    auto* strip = new QWidget(this);
    strip->setObjectName(u"picButtons"_s);
    strip->setAccessibleName(u"Buttons"_s);
    auto* buttons = new QHBoxLayout(strip);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_previous = addButton("cmdPrevious", u"&Previous"_s, &PlayerCard::previous);
    m_next = addButton("cmdNext", u"&Next"_s, &PlayerCard::next);
    m_save = addButton("cmdSave", u"&Save"_s, &PlayerCard::saveChanges);
    m_revert = addButton("cmdRevert", u"Re&vert"_s, &PlayerCard::revert);
    QPushButton* close = addButton("cmdClose", u"&Close"_s, &PlayerCard::closeWindow);
    QPushButton* compare = addButton("cmdCompare", u"Co&mpare"_s, &PlayerCard::compare);
    compare->setToolTip(u"Add this player to Compare Players"_s);
    m_previous->setToolTip(u"Previous player of the grid (Ctrl+Page Up)"_s);
    m_next->setToolTip(u"Next player of the grid (Ctrl+Page Down)"_s);
    m_save->setToolTip(u"Write the changed values"_s);
    m_revert->setToolTip(u"Drop the changed values and show the player as stored"_s);
    for (QPushButton* b : {m_previous, m_next, m_save, m_revert, compare, close})
        buttons->addWidget(b);
    auto* codes = new QCheckBox(u"Show C&odes"_s, strip);
    codes->setObjectName(u"chkShowCodes"_s);
    codes->setAccessibleName(u"Show Codes"_s);
    codes->setChecked(ShowCodes::isOn());
    connect(codes, &QCheckBox::clicked, this, [](bool on) { ShowCodes::setOn(on); });
    connect(ShowCodes::notifier(), &ShowCodes::changed, codes, &QCheckBox::setChecked);
    buttons->addWidget(codes);
    buttons->addStretch();

    // Page keys with Ctrl move between players and never reach a value's
    // editor, so they work while a value is being typed.
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    for (QShortcut* s : {previous, next})
        s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, &PlayerCard::previous);
    connect(next, &QShortcut::activated, this, &PlayerCard::next);

    auto* page = m_page = new QWidget;
    page->setObjectName(u"picCard"_s);
    auto* pageLayout = new QVBoxLayout(page);
    m_name = addLabel(page, u"lblPlayerName"_s, QString());
    QFont big = m_name->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    m_name->setFont(big);
    m_team = addLabel(page, u"lblTeam"_s, QString());
    m_position = addLabel(page, u"lblPosition"_s, QString());
    auto* heading = new QHBoxLayout;
    heading->addWidget(m_name);
    heading->addSpacing(24);
    heading->addWidget(m_position);
    heading->addSpacing(24);
    heading->addWidget(m_team);
    heading->addStretch();
    pageLayout->addLayout(heading);
    pageLayout->addWidget(buildIdentity());
    pageLayout->addWidget(buildRatings(), 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(u"scrCard"_s);
    scroll->setAccessibleName(u"Player Card"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(strip);
    layout->addWidget(scroll, 1);
    // The arrow keys move through the ratings: the page follows the cell.
    connect(m_table, &QTableWidget::currentCellChanged, this, [this, scroll](int row, int column) {
        const QRect cell = m_table->visualRect(m_table->model()->index(row, column));
        const QPoint centre = m_table->viewport()->mapTo(m_page, cell.center());
        scroll->ensureVisible(centre.x(), centre.y(), cell.width() / 2 + 8, cell.height() + 8);
    });

    // Tab order: the values first, top to bottom, then the buttons.
    QWidget* last = m_table;
    for (QPushButton* b : {m_previous, m_next, m_save, m_revert, compare, close}) {
        setTabOrder(last, b);
        last = b;
    }
}

QWidget* PlayerCard::buildIdentity()
{
    auto* frame = new QGroupBox(u"Player"_s);
    frame->setObjectName(u"fraPlayer"_s);
    frame->setAccessibleName(u"Player"_s);
    auto* grid = new QGridLayout(frame);
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    QWidget* previous = nullptr;
    for (int c = 0; c < PlayerFixedColumnCount; ++c) {
        const QString& field = columns[size_t(c)].field;
        QLabel* label = addLabel(frame, u"lbl"_s + field, spacedName(field) + u':');
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(u"txt"_s + field);
        edit->setAccessibleName(spacedName(field));
        label->setBuddy(edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, c] {
            if (edit->isModified()) {
                edit->setModified(false);
                typeValue(c, edit->text());
            }
        });
        const int row = c / IdentityPairsPerRow;
        const int pair = c % IdentityPairsPerRow;
        grid->addWidget(label, row, 2 * pair);
        grid->addWidget(m_meanings->boxFor(edit, c), row, 2 * pair + 1);
        if (previous)
            setTabOrder(previous, edit);
        previous = edit;
        m_edits[size_t(c)] = edit;
    }
    for (int pair = 0; pair < IdentityPairsPerRow; ++pair)
        grid->setColumnStretch(2 * pair + 1, 1);
    return frame;
}

QWidget* PlayerCard::buildRatings()
{
    // Alt+R moves the focus to the frame's first control, the table.
    auto* frame = new QGroupBox(u"&Ratings"_s);
    frame->setObjectName(u"fraRatings"_s);
    frame->setAccessibleName(u"Ratings"_s);
    const QList<int> ratings = tableRatings();
    m_table = new RatingsTable(int(ratings.size()), 4, frame);
    m_table->setObjectName(u"tblRatings"_s);
    m_table->setAccessibleName(u"Ratings, actual and potential"_s);
    m_table->setHorizontalHeaderLabels(
        {u"Rating"_s, u"Abbreviation"_s, u"Actual"_s, u"Potential"_s});
    m_table->verticalHeader()->hide();
    m_table->setTabKeyNavigation(false);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    for (int row = 0; row < ratings.size(); ++row) {
        const db::schema::Rating& r = db::schema::rating(ratings[row]);
        auto* name = new QTableWidgetItem(r.attribute.isEmpty() ? r.shortName : r.attribute);
        auto* shortName = new QTableWidgetItem(r.shortName);
        for (QTableWidgetItem* fixed : {name, shortName})
            fixed->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_table->setItem(row, NameColumn, name);
        m_table->setItem(row, ShortNameColumn, shortName);
        for (int side = 0; side < 2; ++side) {
            const int column = actualColumnOf(r.number) + side;
            auto* value = new QTableWidgetItem;
            value->setData(Qt::UserRole, column);
            value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, ActualColumn + side, value);
            m_items[size_t(column)] = value;
        }
    }
    // All 30 rows at once: the card scrolls as one page, and the chart
    // beside the table gets the same height.
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->resizeColumnsToContents();
    const int valueWidth = m_table->fontMetrics().horizontalAdvance(u"Potential 000"_s);
    m_table->setColumnWidth(ActualColumn, valueWidth);
    m_table->setColumnWidth(PotentialColumn, valueWidth);
    int width = m_table->frameWidth() * 2;
    for (int c = 0; c < m_table->columnCount(); ++c)
        width += m_table->columnWidth(c);
    m_table->setFixedSize(width, m_table->frameWidth() * 2 +
                                     m_table->horizontalHeader()->sizeHint().height() +
                                     m_table->verticalHeader()->length());
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const QVariant column = item->data(Qt::UserRole);
        if (!m_filling && column.isValid())
            typeValue(column.toInt(), item->text());
    });
    m_chartView = new RatingsChart(frame);
    m_chartView->setObjectName(u"chtRatings"_s);
    m_chartView->setAccessibleName(u"Actual against potential ratings"_s);
    m_chartView->setFocusPolicy(Qt::NoFocus);
    m_chartView->setMinimumSize(240, m_table->height());

    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(m_table);
    layout->addWidget(m_chartView, 1);
    return frame;
}

QSize PlayerCard::sizeHint() const
{
    // The whole page where the screen has room; the area bounds it.
    const QSize page = m_page->sizeHint();
    return {page.width() + 40, page.height() + 80};
}

PlayerCard* PlayerCard::showFor(PlayerWindows& open, PlayerWindow* grid)
{
    auto* gridWindow = qobject_cast<QMdiSubWindow*>(grid->parentWidget());
    QMdiArea* area = gridWindow ? gridWindow->mdiArea() : nullptr;
    // The card reads the file: an edited grid row is settled first.
    if (!area || !grid->resolvePendingEdit())
        return nullptr;
    std::unique_ptr<PlayerCard> made(open.card ? nullptr : new PlayerCard);
    PlayerCard* card = made ? made.get() : open.card.data();
    card->m_open = &open;
    if (!card->attach(grid))
        return nullptr;
    // The grid's current player; with no current row, the card's own or the first.
    const db::RecordSet* rs = grid->model()->recordSet();
    const int current = grid->gridView()->currentIndex().row();
    const int row = current >= 0 ? current : std::max(0, card->gridRow());
    if (row < rs->count()) {
        if (row != current)
            card->moveGridTo(row); // the card follows
        else
            card->gridRowChanged();
    }
    if (made && card->m_key < 0)
        return nullptr; // no player to show (the filter hides them all), or his error was shown
    present(open, area, std::move(made), card);
    return card;
}

void PlayerCard::present(PlayerWindows& open, QMdiArea* area, std::unique_ptr<PlayerCard> made,
                         PlayerCard* card)
{
    QMdiSubWindow* sub =
        made ? new QMdiSubWindow : qobject_cast<QMdiSubWindow*>(card->parentWidget());
    if (made) {
        open.card = made.release();
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWidget(card);
        area->addSubWindow(sub);
        sub->resize(sub->sizeHint().boundedTo(area->viewport()->size()));
        sub->show();
        card->m_table->setFocus();
    } else if (sub && sub->isMinimized()) {
        sub->showNormal();
    }
    area->setActiveSubWindow(sub);
}

bool PlayerCard::openLeague(const QString& path)
{
    if (m_db && m_db->path() == path)
        return true;
    if (!leavePlayer())
        return false;
    auto database = std::make_unique<db::Database>();
    if (db::Error e = database->open(path)) {
        Prompts::showError(this, e.message());
        return false;
    }
    m_row.reset();
    m_db = std::move(database);
    m_key = -1;
    m_meanings->setLeague(*m_db);
    return true;
}

bool PlayerCard::attach(PlayerWindow* grid)
{
    if (grid == m_grid)
        return true;
    if (!openLeague(grid->dataControl()->databaseName()))
        return false;
    m_list.reset();
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    m_grid = grid;
    connect(grid->gridView()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &PlayerCard::gridRowChanged);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, &PlayerCard::updateButtons);
    connect(grid, &TableWindow::unloaded, this, [this] {
        disconnect(m_grid, nullptr, this, nullptr);
        m_grid = nullptr; // Previous and Next have no order to follow any more
        updateButtons();
    });
    return true;
}

int PlayerCard::gridRow() const
{
    if (m_list)
        return int(m_list->indexOf(m_key));
    if (!m_grid || !m_grid->model()->recordSet())
        return -1;
    const db::RecordSet* rs = m_grid->model()->recordSet();
    const int current = m_grid->gridView()->currentIndex().row();
    if (m_key < 0)
        return current < rs->count() ? current : -1;
    if (current >= 0 && current < rs->count() && rs->key(current) == m_key)
        return current;
    return rs->rowOfKey(m_key);
}

void PlayerCard::moveGridTo(int row)
{
    DataGridView* view = m_grid->gridView();
    int column = view->currentIndex().column();
    if (column < 0 || view->isColumnHidden(column))
        column = 0; // the league name, never hidden
    const QModelIndex cell = m_grid->model()->index(row, column);
    view->setCurrentIndex(cell);
    view->scrollTo(cell);
}

void PlayerCard::gridRowChanged()
{
    // The grid's own current row, not the signal's: the grid may have moved
    // back to a row whose edit it could not write.
    const db::RecordSet* rs = m_grid ? m_grid->model()->recordSet() : nullptr;
    const int row = m_grid ? m_grid->gridView()->currentIndex().row() : -1;
    if (!rs || row < 0 || row >= rs->count() || rs->key(row) == m_key) {
        updateButtons();
        return;
    }
    if (leavePlayer())
        showPlayer(rs->key(row));
    updateButtons();
}

void PlayerCard::previous()
{
    const int row = gridRow();
    if (row > 0 && leavePlayer()) {
        if (m_list) {
            showPlayer(m_list->at(row - 1));
            updateButtons();
        } else {
            moveGridTo(row - 1);
        }
    }
}

void PlayerCard::next()
{
    if (const int row = gridRow(); m_list && row + 1 < m_list->size() && leavePlayer()) {
        showPlayer(m_list->at(row + 1));
        updateButtons();
    }
    if (!m_grid || !m_grid->model()->recordSet())
        return;
    const int row = gridRow();
    if (row + 1 < m_grid->model()->recordSet()->count() && leavePlayer())
        moveGridTo(row + 1);
}

db::Error PlayerCard::readPlayer(qint64 key)
{
    std::unique_ptr<db::RecordSet> row;
    if (db::Error e = db::RecordSet::openRow(*m_db, u"PlayerTable"_s, key, &row))
        return e;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < PlayerColumnCount; ++c) {
        const int field = row->fieldIndex(columns[size_t(c)].field);
        if (field < 0)
            return {db::MissingField, u"The table \"%1\" has no field \"%2\", which this window "
                                      u"shows."_s.arg(row->table(), columns[size_t(c)].field)};
        m_fieldOf[size_t(c)] = field;
    }
    const QVector<QVariant> values = row->rowValues(0);
    if (db::Error e = row->takeReadError())
        return e;
    m_readRow = values;
    m_row = std::move(row);
    m_key = key;
    m_changes.clear();
    return {};
}

bool PlayerCard::showPlayer(qint64 key)
{
    if (db::Error e = readPlayer(key)) {
        Prompts::showError(this, e.message());
        return false;
    }
    showValues();
    return true;
}

void PlayerCard::showValues()
{
    m_filling = true;
    for (int c = 0; c < PlayerColumnCount; ++c)
        showValue(c);
    m_filling = false;
    showHeading();
    showChart();
    updateButtons();
}

QVariant PlayerCard::effective(int column) const
{
    return m_changes.contains(column) ? m_changes.value(column) : readValue(column);
}

QVariant PlayerCard::readValue(int column) const
{
    return m_readRow.value(m_fieldOf[size_t(column)]);
}

QString PlayerCard::shownText(int column) const
{
    const QVariant value = effective(column);
    const std::optional<db::Meaning> meaning = m_meanings->meaning(column, value);
    return meaning && meaning->known ? meaning->text : textOf(value);
}

void PlayerCard::showValue(int column)
{
    const QVariant value = effective(column);
    const bool changed = m_changes.contains(column);
    const bool binary = value.typeId() == QMetaType::QByteArray;
    const QString tip = changed ? storageOf(value) + u" when saved (changed)"_s : storageOf(value);
    if (column < PlayerFixedColumnCount) {
        QLineEdit* edit = m_edits[size_t(column)];
        const std::optional<db::Meaning> meaning = m_meanings->meaning(column, value);
        edit->setText(shownText(column));
        edit->setCursorPosition(0);
        edit->setReadOnly(binary);
        edit->setToolTip(meaning ? meaning->toolTip + u'\n' + tip : tip);
        edit->setAccessibleDescription(edit->toolTip());
        markChanged(edit, changed);
        QFont font = edit->font(); // a code that means nothing is set apart
        font.setItalic(meaning && !meaning->known);
        edit->setFont(font);
        return;
    }
    QTableWidgetItem* item = m_items[size_t(column)];
    const bool filling = std::exchange(m_filling, true);
    item->setText(textOf(value));
    item->setToolTip(tip);
    item->setFlags(binary ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                          : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    markChanged(item, changed);
    m_filling = filling;
}

QString PlayerCard::playerName() const
{
    const int first = db::schema::playerColumnIndex(u"FirstName"_s);
    const int last = db::schema::playerColumnIndex(u"LastName"_s);
    const QString name =
        QString(effective(first).toString().trimmed() + u' ' + effective(last).toString().trimmed())
            .trimmed();
    return name.isEmpty() ? u"(no name)"_s : name;
}

QString PlayerCard::teamText() const
{
    const QVariant team = effective(db::schema::playerColumnIndex(u"TeamId"_s));
    QString name;
    if (!team.isNull())
        m_db->query(u"SELECT TeamName FROM Team WHERE TeamID = ? LIMIT 1"_s, {team},
                    [&](const db::Statement& row) { name = row.value(0).toString(); });
    if (!name.isEmpty())
        return name;
    // 0 marks the college draft and the free agents.
    if (team.typeId() == QMetaType::LongLong && team.toLongLong() == 0)
        return u"College Draft/FA"_s;
    return team.isNull() ? u"(none)"_s : textOf(team);
}

void PlayerCard::showHeading()
{
    const QString name = m_readRow.isEmpty() ? QString() : playerName();
    setWindowTitle(name.isEmpty() ? u"Player Card[*]"_s : u"Player Card - "_s + name + u"[*]"_s);
    setWindowModified(hasChanges());
    m_name->setText(name);
    m_name->setAccessibleName(name);
    const QVariant position = effective(db::schema::playerColumnIndex(u"CurrentPos"_s));
    const bool isIndex =
        (position.typeId() == QMetaType::LongLong || position.typeId() == QMetaType::Double) &&
        position.toDouble() >= 0 && position.toDouble() < db::schema::PositionCount &&
        position.toDouble() == std::floor(position.toDouble());
    const QString shown = isIndex ? db::schema::positions().at(position.toInt()) : textOf(position);
    m_position->setText(u"Position: "_s + shown);
    m_team->setText(u"Team: "_s + teamText());
    for (QLabel* label : {m_position, m_team})
        label->setAccessibleName(label->text());
}

void PlayerCard::showChart()
{
    m_chartView->showRatings([this](int rating, bool potential) {
        return effective(actualColumnOf(rating) + potential);
    });
}

void PlayerCard::updateButtons()
{
    const db::RecordSet* rs = m_grid ? m_grid->model()->recordSet() : nullptr;
    const int count = m_list ? int(m_list->size()) : rs ? rs->count() : 0;
    const int row = gridRow();
    m_previous->setEnabled(row > 0 && row < count);
    m_next->setEnabled(row + 1 < count && (row >= 0 || !m_list));
    m_save->setEnabled(hasChanges());
    m_revert->setEnabled(hasChanges());
    m_page->setEnabled(m_row != nullptr);
}

void PlayerCard::typeValue(int column, const QString& text)
{
    if (!m_row) {
        showValue(column);
        return;
    }
    if (text == shownText(column))
        return; // untouched: the value keeps its storage type
    // A name stands for its code; a code that means nothing was asked about.
    const std::optional<QString> typed = m_meanings->storedText(column, text, effective(column));
    if (!typed) {
        showValue(column);
        return;
    }
    QVariant stored;
    if (db::Error e = m_row->convertValue(m_fieldOf[size_t(column)], *typed, &stored)) {
        showValue(column);
        // After the editor has gone, so the box cannot take its focus.
        QTimer::singleShot(0, this,
                           [this, message = e.message()] { Prompts::showError(this, message); });
        return;
    }
    if (db::sameStoredValue(stored, readValue(column)))
        m_changes.remove(column);
    else
        m_changes.insert(column, stored);
    showValue(column);
    showHeading();
    showChart();
    updateButtons();
    const int field = m_fieldOf[size_t(column)];
    const QString caption = players::playerGridColumns()[size_t(column)].caption;
    if (const QString note = db::wholeNumberNote(m_row->fields().at(field), caption, text, stored);
        !note.isEmpty())
        emit valueNoted(note);
}

void PlayerCard::finishTyping()
{
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()); edit && edit->isModified()) {
        edit->setModified(false);
        const int column = int(std::find(m_edits.begin(), m_edits.end(), edit) - m_edits.begin());
        if (column < PlayerFixedColumnCount)
            typeValue(column, edit->text());
    }
    m_table->finishEditing();
}

void PlayerCard::saveChanges()
{
    save();
}

bool PlayerCard::save()
{
    finishTyping();
    if (!hasChanges() || !m_row)
        return true;
    QHash<int, QVariant> values;
    QStringList captions;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < PlayerColumnCount; ++c) {
        if (m_changes.contains(c)) {
            values.insert(m_fieldOf[size_t(c)], m_changes.value(c));
            captions << columns[size_t(c)].caption;
        }
    }
    if (db::Error e = m_row->updateStored(0, values, m_readRow)) {
        reportSaveError(e);
        return false;
    }
    // The save is one step of the history: the fields as read and as the
    // file now stores them.
    const QVector<QVariant> written = m_row->rowValues(0);
    RowChange change{m_db->path(),
                     m_row->table(),
                     describeChange(captions, playerName()),
                     {},
                     {{m_key, {}}},
                     {{m_key, {}}},
                     m_row->lastCounterMove()};
    QList<int> fields = values.keys();
    std::sort(fields.begin(), fields.end());
    for (int field : fields) {
        change.fields << m_row->fieldName(field);
        change.before.first().values << m_readRow.value(field);
        change.after.first().values << written.value(field);
    }
    m_changes.clear();
    rowWritten();
    m_meanings->written(*m_db);
    emit rowsWritten(change);
    showPlayer(m_key);
    return true;
}

void PlayerCard::reportSaveError(const db::Error& e)
{
    if (e.number != db::RowVanished && e.number != db::WriteSkipped) {
        Prompts::showError(this, e.message());
        return;
    }
    // The row no longer holds what the card read: these values can never be
    // written as they are, so the card shows the player as stored now.
    const QString name = playerName();
    m_changes.clear();
    const db::Error reread = readPlayer(m_key);
    if (reread)
        m_row.reset(); // gone: the card keeps what it read, for reading only
    if (e.number == db::RowVanished && reread.number == db::RowVanished)
        Prompts::showError(
            this, db::Error::message(e.number,
                                     u"%1 is no longer in the league: another "
                                     u"program or Clear Database removed him since "
                                     u"the card read him, so nothing was written."_s.arg(name)));
    else
        Prompts::showError(this, e.message());
    showValues();
}

void PlayerCard::rowWritten()
{
    // The open grid, which need not be the one the card follows: the grid
    // may have been closed and opened again since.
    PlayerWindow* grid = m_open ? m_open->grid.data() : nullptr;
    if (grid && grid->dataControl()->databaseName() == m_db->path())
        grid->model()->rowWrittenElsewhere(m_key);
}

void PlayerCard::revert()
{
    finishTyping();
    m_changes.clear();
    if (m_key >= 0)
        showPlayer(m_key);
}

bool PlayerCard::leavePlayer()
{
    finishTyping();
    if (!hasChanges())
        return true;
    if (!Prompts::ask(this, u"Commit changes?"_s)) {
        m_changes.clear();
        showValues();
        return true;
    }
    return save();
}

bool PlayerCard::resolvePendingEdit()
{
    return leavePlayer();
}

void PlayerCard::follow(PlayerWindow* grid)
{
    if (!attach(grid))
        return;
    // The grid goes to the card's player when it shows him; else the card
    // shows the grid's current player.
    const int row = gridRow();
    if (row >= 0 && row != grid->gridView()->currentIndex().row())
        moveGridTo(row);
    else
        gridRowChanged();
}

void PlayerCard::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The changed values' mark is worked out from the palette.
    if (event->type() == QEvent::PaletteChange) {
        for (int c = 0; c < PlayerColumnCount; ++c) {
            if (c < PlayerFixedColumnCount)
                markChanged(m_edits[size_t(c)], m_changes.contains(c));
            else
                markChanged(m_items[size_t(c)], m_changes.contains(c));
        }
    }
}

void PlayerCard::keyPressEvent(QKeyEvent* event)
{
    // Escape that no value's editor took closes the card, asking about
    // changed values first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlayerCard::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void PlayerCard::closeEvent(QCloseEvent* event)
{
    if (!leavePlayer()) {
        event->ignore();
        return;
    }
    // A closing card is no longer the one the command brings forward, even
    // before it is deleted.
    if (m_open && m_open->card == this)
        m_open->card = nullptr;
    event->accept();
}
