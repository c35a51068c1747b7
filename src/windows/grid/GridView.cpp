#include "windows/grid/GridView.h"

#include "windows/grid/CodeEditor.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <limits>

namespace {
// Text this long, or with a line break, gets an editor of several lines.
constexpr int LongText = 200;
constexpr int LongTextLines = 8;

bool isLongText(const QString& text)
{
    return text.size() > LongText || text.contains(QLatin1Char('\n'));
}
} // namespace

// Makes the cell editors: none limits a value's length, long text gets a
// plain-text editor of several lines, and an editor closed untouched writes
// nothing. Remembers the editor it made last, so the view can hand a typed
// but not yet entered value to the model before the row is committed.
class GridView::EditorTracker : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = createCodeEditor(parent, index);
        if (editor) {
            // A coded cell picks a name; the model writes its code.
        } else if (isLongText(index.data(Qt::EditRole).toString())) {
            auto* text = new QPlainTextEdit(parent);
            text->setFrameShape(QFrame::Box);
            editor = text;
        } else {
            editor = QStyledItemDelegate::createEditor(parent, option, index);
            if (auto* line = qobject_cast<QLineEdit*>(editor))
                line->setMaxLength(std::numeric_limits<int>::max());
        }
        m_editor = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // A drop-down keeps the name it opened with (or the one typed).
        if (!isCodeEditor(editor))
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        if (writeCodeEditor(editor, model, index) || !isModified(editor))
            return;
        QStyledItemDelegate::setModelData(editor, model, index);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        if (!qobject_cast<QPlainTextEdit*>(editor))
            return;
        // Room for several lines, inside the grid's visible area.
        QRect area = editor->geometry();
        area.setHeight(editor->fontMetrics().lineSpacing() * LongTextLines);
        area.setWidth(std::max(area.width(), editor->fontMetrics().averageCharWidth() * 60));
        const QRect visible = editor->parentWidget()->rect();
        area.moveBottom(std::min(area.bottom(), visible.bottom()));
        area.moveRight(std::min(area.right(), visible.right()));
        editor->setGeometry(area & visible);
    }

    QWidget* lastEditor() const { return m_editor; }

private:
    static bool isModified(QWidget* editor)
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            return line->isModified();
        if (auto* text = qobject_cast<QPlainTextEdit*>(editor))
            return text->document()->isModified();
        return true;
    }

    mutable QPointer<QWidget> m_editor;
};

GridView::GridView(QWidget* parent) : QTableView(parent), m_delegate(new EditorTracker(this))
{
    setItemDelegate(m_delegate);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);

    // Record selectors; the user may change row heights.
    verticalHeader()->setVisible(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('W')) * 2);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    // A header click sorts; it does not also select the column (which would
    // move the current row and ask about an edited one before the sort does).
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    // The click's own modifiers: the application takes them from the mouse
    // event that is being delivered.
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        emit headerClicked(column, QGuiApplication::keyboardModifiers());
    });
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier &&
        currentIndex().isValid()) {
        // The keyboard's other context-menu key: as the Menu key, the menu
        // opens at the current cell.
        scrollTo(currentIndex());
        const QPoint at = visualRect(currentIndex()).center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at),
                               event->modifiers());
        QCoreApplication::sendEvent(this, &menu);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && state() != EditingState &&
        !selectedWholeRows().isEmpty()) {
        emit deleteRequested();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::finishEditing()
{
    QWidget* editor = m_delegate->lastEditor();
    if (state() != EditingState || !editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QList<int> GridView::selectedWholeRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString GridView::oneLineText(const QModelIndex& cell, int limit) const
{
    const QVariant value = cell.data();
    QString shown;
    if (const int type = value.typeId();
        type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Double)
        shown = value.toString(); // no thousands separators (ids)
    else if (const auto* delegate = qobject_cast<QStyledItemDelegate*>(itemDelegateForIndex(cell)))
        shown = delegate->displayText(value, locale());
    else
        shown = value.toString();
    for (QChar& c : shown) {
        if (c.isSpace())
            c = QLatin1Char(' ');
    }
    if (shown.size() > limit)
        shown = shown.left(limit) + QChar(0x2026);
    return shown;
}

QSize GridView::sizeShowing(int rows) const
{
    const int frame = 2 * frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return {frame + verticalHeader()->sizeHint().width() + horizontalHeader()->length() + bar,
            frame + horizontalHeader()->sizeHint().height() +
                rows * verticalHeader()->defaultSectionSize() + bar};
}
