#pragma once

#include "core/db/Error.h"
#include "core/import/ImportAccess.h"
#include "ui/WorkerProgress.h"

#include <functional>

class QLabel;
class QProgressBar;

// How far an Access import has got, table by table, with Cancel. The import
// runs on a worker thread and reports here by queued calls; the window shows
// only once it has run for a moment (a small file is done before it could be
// read), and is window-modal from then on. Above the progress dialog's own
// label (the table) it names the file being imported.
class ImportProgressWindow : public WorkerProgressDialog
{
    Q_OBJECT
public:
    ImportProgressWindow(QWidget* owner, const QString& source);

    using Report = std::function<bool(const import::ImportProgress&)>;
    // Runs work on a worker, handing it the report to call; returns its
    // error once it has finished. The report returns false after Cancel.
    db::Error run(const std::function<db::Error(const Report&)>& work);

    // The window's own layout, which places the file's name too.
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showProgress(const import::ImportProgress& p);

    QLabel* m_table = nullptr;
    QProgressBar* m_bar = nullptr;
};
