#pragma once

#include "core/db/Schema.h"

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

// The player column of a rating's actual value; its potential is the next.
inline int actualColumnOf(int rating)
{
    return db::schema::PlayerFixedColumnCount + 2 * (rating - 1);
}
