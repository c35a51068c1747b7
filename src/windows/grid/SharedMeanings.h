#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class LeagueMeanings;
class QMdiArea;

// What the windows of one MDI area share about codes. Each league's
// meanings (LeagueMeanings), so the windows on a league read its names once;
// and Show Codes, the setting [Settings] ShowCodes ("True" or "False", False
// when absent), which every window reads when it opens and follows through
// showCodesChanged() from then on. The area owns it; windows are handed it
// when they are made.
class SharedMeanings : public QObject
{
    Q_OBJECT
public:
    // The area's, made when its first window asks.
    static SharedMeanings* of(QMdiArea* area);

    // The meanings of the league at path: made on first use, kept while
    // windows use them and for the few leagues used last.
    std::shared_ptr<LeagueMeanings> forLeague(const QString& path);

    bool showsCodes() const;
    // Stores the choice and tells every window.
    void setShowCodes(bool on);

signals:
    void showCodesChanged(bool on);

private:
    explicit SharedMeanings(QMdiArea* area);

    QHash<QString, std::weak_ptr<LeagueMeanings>> m_leagues; // by absolute path
    QList<std::shared_ptr<LeagueMeanings>> m_kept;           // most recent last
};
