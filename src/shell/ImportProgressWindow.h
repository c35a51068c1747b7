#pragma once

#include "core/db/Error.h"
#include "core/import/ImportAccess.h"

#include <QDialog>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;

// How far an Access import has got, table by table, with Cancel. The import
// runs on a worker thread and reports here by queued calls; the window shows
// only once it has run for a moment (a small file is done before it could be
// read), and is window-modal from then on.
class ImportProgressWindow : public QDialog
{
    Q_OBJECT
public:
    ImportProgressWindow(QWidget* owner, const QString& source);

    using Report = std::function<bool(const import::ImportProgress&)>;
    // Runs work on a worker, handing it the report to call; returns its
    // error once it has finished. The report returns false after Cancel.
    db::Error run(const std::function<db::Error(const Report&)>& work);

protected:
    void reject() override; // Escape and the close box cancel too

private:
    void showProgress(const import::ImportProgress& p);

    QLabel* m_table = nullptr;
    QProgressBar* m_bar = nullptr;
    std::atomic<bool> m_cancelled = false;
};
