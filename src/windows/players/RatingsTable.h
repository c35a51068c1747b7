#pragma once

#include <QTableWidget>

// The player card's ratings table; it hands a typed but not yet entered
// value to the card before the card saves or moves on.
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
