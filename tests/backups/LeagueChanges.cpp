#include "LeagueChanges.h"

#include "TestSupport.h"
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "shell/RestoreBackupWindow.h"
#include "ui/Prompts.h"
#include "windows/globaledit/GlobalEditDialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace TestSupport {

QByteArray content(const QString& path)
{
    db::Database league; // opening rolls back what a killed restore left half-done
    if (const db::Error e = league.open(path))
        return e.message().toUtf8();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QStringList tables;
    league.query(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s, {},
                 [&](const db::Statement& q) { tables << q.value(0).toString(); });
    // Each value with its storage type, each row with its id.
    const auto add = [&](const db::Statement& q) {
        for (int c = 0; c < q.columnCount(); ++c)
            hash.addData(QByteArray(q.value(c).toString().toUtf8() + "\x1f" +
                                    QByteArray::number(q.value(c).typeId()) + "\x1f"));
    };
    for (const QString& table : tables) {
        hash.addData(table.toUtf8());
        league.query(u"SELECT rowid, * FROM \"%1\" ORDER BY rowid"_s.arg(table), {}, add);
    }

    league.query(u"PRAGMA integrity_check"_s, {}, add);
    return hash.result();
}

QStringList backupNames(const QString& league)
{
    QStringList names;
    for (const backups::Backup& b : backups::list(league))
        names << QFileInfo(b.path).fileName();
    return names;
}

QStringList LeagueChanges::clearDatabase(QMessageBox::StandardButton answer) const
{
    if (answer != QMessageBox::NoButton)
        Prompts::setNextAnswer(answer);
    main()->action(u"ClearDatabase"_s)->trigger();
    const QStringList shown = messages();
    Prompts::finishTest();
    if (answer == QMessageBox::NoButton)
        return shown;
    if (!shown.value(0).startsWith(u"All rows of the seven league tables"_s))
        return QStringList{u"no question"_s} + shown;
    return shown.mid(1);
}

QStringList LeagueChanges::globalEdit() const
{
    main()->action(u"mnuGlobalEdit"_s)->trigger();
    auto* dialog = main()->findChild<GlobalEditDialog*>(u"frmGlobal"_s);
    if (!dialog)
        return {u"no dialog"_s};
    // After an edit the dialog asks before the same one again: the next
    // one raises SP by one point more.
    QLineEdit* sp = dialog->findChild<QLineEdit*>(u"txtSP"_s);
    const bool applied = !dialog->findChild<QLabel*>(u"lblApplied"_s)->text().isEmpty();
    sp->setText(applied ? QString::number(sp->text().toInt() + 1) : u"10"_s);
    for (int p : {0, 1})
        dialog->findChild<QCheckBox*>(u"chkPosition_%1"_s.arg(p))->setChecked(true);
    dialog->confirm();
    if (!QTest::qWaitFor([&] { return !dialog->isRunning(); }, 30000))
        return {u"still running"_s};
    const QStringList shown = messages();
    Prompts::finishTest();
    return shown;
}

QStringList LeagueChanges::restoreNewest(QMessageBox::StandardButton answer,
                                         QStringList* listed) const
{
    main()->action(u"mnuRestoreBackup"_s)->trigger();
    if (auto* form = main()->findChild<RestoreBackupWindow*>()) {
        auto* list = form->findChild<QTreeWidget*>(u"lstBackups"_s);
        for (int i = 0; listed && i < list->topLevelItemCount(); ++i)
            *listed << list->topLevelItem(i)->text(1);
        list->setCurrentItem(list->topLevelItem(0));
        Prompts::setNextAnswer(answer);
        form->findChild<QPushButton*>(u"cmdRestore"_s)->click();
        if (answer == QMessageBox::No)
            form->findChild<QPushButton*>(u"cmdCancel"_s)->click();
    }
    const QStringList shown = messages();
    Prompts::finishTest();
    QTest::qWait(0); // closed windows go at the next turn of the loop
    return shown;
}

QString LeagueChanges::writeLeague(const QString& name, int players, quint32 seed) const
{
    const QString path = m_gui.filePath(name);
    leaguegen::LeagueOptions options;
    options.players = players;
    options.seed = seed;
    options.overwrite = true;
    return leaguegen::writeLeague(path, options) ? QString() : path;
}

namespace {
QString shown(const QAction* item)
{
    return item->text() + (item->isEnabled() ? u""_s : u" (off)"_s);
}
} // namespace

QString LeagueChanges::undoText() const
{
    return shown(main()->action(u"mnuUndoGlobalEdit"_s));
}

QString LeagueChanges::redoText() const
{
    return shown(main()->action(u"mnuRedo"_s));
}

void LeagueChanges::undo() const
{
    main()->action(u"mnuUndoGlobalEdit"_s)->trigger();
}

} // namespace TestSupport
