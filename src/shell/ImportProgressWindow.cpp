#include "shell/ImportProgressWindow.h"

#include <QCoreApplication>
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

ImportProgressWindow::ImportProgressWindow(QWidget* owner, const QString& source) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmImportProgress"));
    setWindowTitle(QStringLiteral("Importing Access Database"));
    setWindowModality(Qt::ApplicationModal);

    auto* from =
        new QLabel(QStringLiteral("Importing %1").arg(QDir::toNativeSeparators(source)), this);
    from->setObjectName(QStringLiteral("lblSource"));
    from->setAccessibleName(QStringLiteral("Access Database"));
    from->setWordWrap(true);
    m_table = new QLabel(QStringLiteral("Reading the table list\u2026"), this);
    m_table->setObjectName(QStringLiteral("lblTable"));
    m_table->setAccessibleName(QStringLiteral("Table"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setRange(0, BarSteps);
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
    m_running.start();
}

bool ImportProgressWindow::update(const QString& table, int index, int count, qint64 rows,
                                  qint64 tableRows)
{
    if (!table.isEmpty()) {
        m_table->setText(QStringLiteral("Table %1 of %2: %3 (%4 of %5 rows)")
                             .arg(index + 1)
                             .arg(count)
                             .arg(table)
                             .arg(rows)
                             .arg(tableRows));
        // The whole import, each table an equal share.
        const double done =
            (index + (tableRows > 0 ? double(rows) / double(tableRows) : 1.0)) / std::max(count, 1);
        m_bar->setValue(static_cast<int>(done * BarSteps));
    }
    if (!isVisible() && m_running.elapsed() >= ShowAfterMilliseconds)
        show();
    // Until the modal window is up, no click may start another command.
    QCoreApplication::processEvents(isVisible() ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
    return !m_cancelled;
}

void ImportProgressWindow::reject()
{
    m_cancelled = true;
    m_table->setText(QStringLiteral("Cancelling\u2026"));
}
