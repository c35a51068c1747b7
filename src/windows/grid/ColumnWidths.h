#pragma once

#include <QHash>
#include <QString>

class GridView;
class RecordSetModel;

// The grid's column widths, by field name. A column first gets the width the
// user gave it for this table before (when it is a sensible 10 to 2,000
// pixels), or else one fitted to its caption and the first page of values; a
// width the user sets then holds while the rows are replaced (Sort, Filter,
// Refresh), and the widths the user changed are kept per table in the
// settings store (section "ColumnWidths", key the table name, value
// "field=pixels;..." in lower case) when the window goes.
class ColumnWidths
{
public:
    ColumnWidths(GridView* grid, const RecordSetModel* model);

    static QString settingsSection();

    // Before the model is reset: notes the shown widths. The model must
    // still read its old record set.
    void keep();
    // After the model is reset over the rows of table: sizes every column.
    void apply(const QString& table);
    // Stores the widths of table the user changed, dropping stored entries
    // of fields the table no longer has and widths that are not sensible.
    void save(const QString& table) const;

private:
    int fittedWidth(int column) const;

    GridView* m_grid;
    const RecordSetModel* m_model;
    QHash<QString, int> m_first; // field -> the width apply() first gave it
    QHash<QString, int> m_kept;  // field -> its width when the rows were last replaced
};
