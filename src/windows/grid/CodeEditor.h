#pragma once

class QAbstractItemModel;
class QComboBox;
class QModelIndex;
#include <QStringList>
class QWidget;

// The drop-down editor of a coded cell: the names of its codes (positions in
// list order, teams by name, conferences), editable, so a name or a stored
// value can be typed too. Names are completed without regard to case.
QComboBox* makeCodeComboBox(QWidget* parent, const QStringList& names);

// The grid's: for a cell whose model offers names (ShownValues::ChoicesRole),
// a drop-down opened on the cell's shown text; else nullptr.
QWidget* createCodeEditor(QWidget* parent, const QModelIndex& index);
bool isCodeEditor(const QWidget* editor);
// Hands a drop-down's text to the model as a name (ShownValues::NameRole);
// one closed on the text it opened with writes nothing. False when editor
// is no drop-down of createCodeEditor.
bool writeCodeEditor(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index);
