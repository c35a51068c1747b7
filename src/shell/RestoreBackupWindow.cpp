#include "shell/RestoreBackupWindow.h"

#include "core/backups/Backups.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace {

QPushButton* addButton(QWidget* parent, QBoxLayout* layout, const char* name,
                       const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    layout->addWidget(button);
    return button;
}

QString shownDate(const QDateTime& taken)
{
    return taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

RestoreBackupWindow::RestoreBackupWindow(const QString& leaguePath,
                                         std::function<bool(const QString&)> restore,
                                         QWidget* parent)
    : QWidget(parent), m_league(leaguePath), m_restore(std::move(restore))
{
    setObjectName(QStringLiteral("frmRestoreBackup"));
    setWindowTitle(QStringLiteral("Restore Backup"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("lblBackups"));
    m_caption->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstBackups"));
    m_list->setAccessibleName(QStringLiteral("Backups"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Command"), QStringLiteral("Size")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_caption->setBuddy(m_list);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_restoreButton = addButton(this, buttons, "cmdRestore", QStringLiteral("&Restore"));
    QPushButton* cancel = addButton(this, buttons, "cmdCancel", QStringLiteral("Cancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_restoreButton, &QPushButton::clicked, this, &RestoreBackupWindow::restoreSelected);
    connect(cancel, &QPushButton::clicked, this, &RestoreBackupWindow::cancel);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &RestoreBackupWindow::restoreSelected);
}

bool RestoreBackupWindow::listBackups()
{
    QList<backups::Backup> found = backups::list(m_league);
    // A league that did not open, kept for the user: nothing to restore.
    found.removeIf([](const backups::Backup& b) { return b.command == backups::DamagedLeague; });
    if (found.isEmpty())
        return false;
    m_caption->setText(
        QStringLiteral("&Backups of %1, newest first:").arg(db::quotedPath(m_league)));
    const QLocale locale;
    for (const backups::Backup& b : found) {
        auto* item = new QTreeWidgetItem(
            m_list, {shownDate(b.taken), b.command, locale.formattedDataSize(b.size)});
        item->setData(0, Qt::UserRole, b.path);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_list->setCurrentItem(m_list->topLevelItem(0));
    return true;
}

void RestoreBackupWindow::restoreSelected()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const QString question =
        QStringLiteral("Replace the league %1 with the backup taken on %2 before %3?\n\n"
                       "The league as it is now is backed up first, so you can go back to it "
                       "with Restore Backup.")
            .arg(db::quotedPath(m_league), item->text(0), item->text(1));
    if (!Prompts::ask(this, question, QMessageBox::No))
        return;
    if (m_restore(item->data(0, Qt::UserRole).toString()))
        closeWindow();
}

void RestoreBackupWindow::cancel()
{
    closeWindow();
}

void RestoreBackupWindow::closeWindow()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void RestoreBackupWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}
