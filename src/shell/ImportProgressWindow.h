#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

// How far an Access import has got, table by table, with Cancel. It shows
// itself only once the import has run for a moment (a small file is done
// before it could be read), and is modal from then on.
class ImportProgressWindow : public QDialog
{
    Q_OBJECT
public:
    ImportProgressWindow(QWidget* owner, const QString& source);

    // Shows the table being copied (index of count) and its rows; lets the
    // window paint and Cancel be pressed. Returns false once it was.
    bool update(const QString& table, int index, int count, qint64 rows, qint64 tableRows);

protected:
    void reject() override; // Escape and the close box cancel too

private:
    QLabel* m_table = nullptr;
    QProgressBar* m_bar = nullptr;
    QElapsedTimer m_running;
    bool m_cancelled = false;
};
