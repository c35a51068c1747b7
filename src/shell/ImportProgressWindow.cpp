#include "shell/ImportProgressWindow.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int ShowAfterMilliseconds = 300;
constexpr int BarSteps = 1000;
} // namespace

ImportProgressWindow::ImportProgressWindow(QWidget* owner, const QString& source)
    : WorkerProgressDialog({}, {}, 0, BarSteps, owner)
{
    setObjectName(QStringLiteral("frmImportProgress"));
    setWindowTitle(QStringLiteral("Importing Access Database"));

    auto* from =
        new QLabel(QStringLiteral("Importing %1").arg(QDir::toNativeSeparators(source)), this);
    from->setObjectName(QStringLiteral("lblSource"));
    from->setAccessibleName(QStringLiteral("Access Database"));
    from->setWordWrap(true);
    m_table = new QLabel(QStringLiteral("Reading the table list\u2026"), this);
    m_table->setObjectName(QStringLiteral("lblTable"));
    m_table->setAccessibleName(QStringLiteral("Table"));
    setLabel(m_table);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setRange(0, BarSteps);
    setBar(m_bar);
    // The platform's own Cancel, as a dialog's button box words it.
    setCancelButton(nullptr);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportProgressWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(from);
    layout->addWidget(m_table);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

// The layout places the parts, not the progress dialog's own placing.
QSize ImportProgressWindow::sizeHint() const
{
    return QDialog::sizeHint();
}

void ImportProgressWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
}

db::Error ImportProgressWindow::run(const std::function<db::Error(const Report&)>& work)
{
    const Report report = [this](const import::ImportProgress& p) {
        QMetaObject::invokeMethod(
            this, [this, p] { showProgress(p); }, Qt::QueuedConnection);
        return !stopRequested();
    };
    db::Error error;
    runShowingProgress(
        *this, [&] { error = work(report); }, ShowAfterMilliseconds);
    return error;
}

void ImportProgressWindow::showProgress(const import::ImportProgress& p)
{
    if (p.table.isEmpty() || stopRequested())
        return;
    m_table->setText(QStringLiteral("Table %1 of %2: %3 (%4 of %5 rows)")
                         .arg(p.tableIndex + 1)
                         .arg(p.tableCount)
                         .arg(p.table)
                         .arg(p.rows)
                         .arg(p.tableRows));
    // The whole import, each table an equal share.
    const double done =
        (p.tableIndex + (p.tableRows > 0 ? double(p.rows) / double(p.tableRows) : 1.0)) /
        std::max(p.tableCount, 1);
    m_bar->setValue(static_cast<int>(done * BarSteps));
}
