#include "windows/grid/CodeEditor.h"

#include "windows/grid/ShownValues.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

namespace {
const char* const OpenedWith = "ymOpenedWith";
} // namespace

QComboBox* makeCodeComboBox(QWidget* parent, const QStringList& names)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    box->addItems(names);
    box->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    return box;
}

QWidget* createCodeEditor(QWidget* parent, const QModelIndex& index)
{
    const QStringList names = index.data(ShownValues::ChoicesRole).toStringList();
    if (names.isEmpty())
        return nullptr;
    QComboBox* box = makeCodeComboBox(parent, names);
    box->setObjectName(QStringLiteral("cboCode"));
    box->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
    const QString shown = index.data(Qt::DisplayRole).toString();
    box->setProperty(OpenedWith, shown);
    box->setCurrentIndex(int(names.indexOf(shown)));
    box->setEditText(shown);
    return box;
}

bool isCodeEditor(const QWidget* editor)
{
    return qobject_cast<const QComboBox*>(editor) && editor->property(OpenedWith).isValid();
}

bool writeCodeEditor(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index)
{
    if (!isCodeEditor(editor))
        return false;
    auto* box = static_cast<QComboBox*>(editor);
    const QString text = box->currentText();
    if (text != box->property(OpenedWith).toString())
        model->setData(index, text, ShownValues::NameRole);
    return true;
}
