#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

// File > Restore Backup: lists the league's backups, newest first, with
// their date, command and size (not Damaged League copies), and hands the chosen one to the restore
// after a Yes/No question. It unloads when it is done.
class RestoreBackupWindow : public QWidget
{
    Q_OBJECT
public:
    // restore: restores the backup at the path; true when it did.
    RestoreBackupWindow(const QString& leaguePath, std::function<bool(const QString&)> restore,
                        QWidget* parent = nullptr);

    // False when the league has no backups (nothing to list).
    bool listBackups();
    void restoreSelected();
    void cancel();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void closeWindow();

    QString m_league;
    std::function<bool(const QString&)> m_restore;
    QLabel* m_caption;
    QTreeWidget* m_list;
    QPushButton* m_restoreButton;
};
