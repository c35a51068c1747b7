#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class LeagueSession;
class QMdiArea;

// The File menu's commands on the league as a file: Open (with the offer to
// import an Access file), Import Access Database, Convert and Clear
// Database. Their questions and errors belong to the area's window.
class LeagueCommands : public QObject
{
    Q_OBJECT
public:
    LeagueCommands(LeagueSession* session, QMdiArea* area);

    // File > Open: asks for the file, then opens it.
    void choose();
    // Checks that path opens as a league and, if it does, makes it the
    // session's league and stores it at once. Otherwise shows the error a
    // command would show and keeps the previous choice. Returns whether the
    // path was stored.
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
    // open() made path the league.
    void opened(const QString& path);

private:
    // For an Access file: asks whether to import it, and does; whether the
    // import became the league. Nothing for other files.
    std::optional<bool> offerAccessImport(const QString& path);
    // Asks for the new league file until the name is one an import may
    // write, or the user cancels (empty).
    QString chooseImportTarget(const QString& source);
    void runConverter();

    LeagueSession* m_session;
    QMdiArea* m_area;
};
