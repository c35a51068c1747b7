#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class LeagueSession;
class QMdiArea;
class RecentLeagues;

// The File menu's commands on the league as a file: Open (with the offer to
// import an Access file), Import Access Database, Convert and Clear
// Database. Their questions and errors belong to the area's window.
class LeagueCommands : public QObject
{
    Q_OBJECT
public:
    LeagueCommands(LeagueSession* session, QMdiArea* area);
    // File's list of recent leagues, which every league opened joins.
    void setRecentLeagues(RecentLeagues* recent) { m_recent = recent; }

    // File > Open: asks for the file, then opens it.
    void choose();
    // Checks that path opens as a league and, if it does, makes it the
    // session's league and stores it at once. Otherwise shows the error a
    // command would show and keeps the previous choice. An Access file is
    // offered for import instead. Returns whether a league was stored.
    bool open(const QString& path);
    // File > Import Access Database...: asks for the Access file, then for
    // the new league file, and imports one into the other.
    void importAccess();
    // Asks where to save the import of the Access database at source, copies
    // it there, and makes the new file the league when it has the seven
    // tables. Returns whether it became the league.
    bool importAccessDatabase(const QString& source);
    // File > Write Back to Access Database...: writes the league's changes
    // into the Access file it was imported from.
    void writeBackAccess();
    // File > Convert: starts the league converter, asking for it first when
    // none is chosen or the chosen one is gone.
    void convert();
    // File > Clear Database.
    void clearDatabase();

    // The leagues that windows hold: the session's and each open grid's
    // (which may still show a league opened before). No command writes a
    // file the user names over one of them.
    QStringList heldLeagues() const;

signals:
    // A command's outcome, for the status bar.
    void finished(const QString& text);

private:
    // A file on its way to becoming the league, filled in step by step.
    struct Opening {
        enum Kind { League, Access } kind = League;
        QString path = {};        // the file chosen
        bool askToImport = false; // an Access file chosen through File > Open
        QString target = {};      // the import's new league file
        QString league = {};      // the file that becomes the league
        QString summary = {};     // what the import did, for the status bar
    };
    // The steps of opening a file, in order: what kind of file it is, what
    // to ask, what to run, what to store.
    static Opening kindOf(const QString& path);
    bool ask(Opening& opening);
    bool run(Opening& opening);
    bool store(const Opening& opening);

    // The import's questions: whether to import an Access file chosen
    // through File > Open, its check, and the new league file.
    bool askAboutImport(Opening& opening);
    // Asks for the new league file until the name is one an import may
    // write, or the user cancels (empty).
    QString chooseImportTarget(const QString& source);
    // Runs the import with its progress window; whether the new file is a
    // league (the user has been told why not).
    bool runImport(Opening& opening);
    // Whether the file opens as a league; the error a command would show
    // otherwise.
    bool checkLeague(const QString& path);
    void runConverter();

    LeagueSession* m_session;
    QMdiArea* m_area;
    RecentLeagues* m_recent = nullptr;
};
