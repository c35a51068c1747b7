#pragma once

#include <QObject>

// Whether windows show coded values (positions, teams, conferences,
// players) as stored or by what they mean: [Settings] ShowCodes, "True" or
// "False", False when absent. Every window reads it when it opens and
// follows changed() from then on.
class ShowCodes : public QObject
{
    Q_OBJECT
public:
    static bool isOn();
    // Stores the choice and tells every window.
    static void setOn(bool on);
    // The one sender of changed().
    static ShowCodes* notifier();

signals:
    void changed(bool on);

private:
    ShowCodes() = default;
};
