#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Find in a grid: the text, where to look (the current column or all
// visible columns) and whether letter case must match. Find Next and Find
// Previous ask the grid to search; the dialog stays open beside it and
// shows where the search went on from the other end.
class FindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent);

    QString text() const;
    bool allColumns() const;
    bool matchCase() const;
    void setStatus(const QString& text);

    QLineEdit* findTextBox() const { return m_text; }
    QPushButton* findNextButton() const { return m_next; }
    QPushButton* findPreviousButton() const { return m_previous; }

signals:
    void findRequested(bool backward);

private:
    QLineEdit* m_text;
    QRadioButton* m_currentColumn;
    QRadioButton* m_allColumns;
    QCheckBox* m_matchCase;
    QPushButton* m_next;
    QPushButton* m_previous;
    QLabel* m_status;
};
