#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QMdiSubWindow;

// A table's window opens where it was last: its size, its place in the main
// window and whether it was maximized, kept per table in the settings store
// (section "WindowGeometry", key the table name, value
// "left,top,width,height,maximized" of the window in the document area).
// The first time, it opens at the size it asks for, within the area.
// A value that cannot be read counts as none; any place is fitted into the
// area, title bar first, at a usable size.
class WindowPlace : public QObject
{
    Q_OBJECT
public:
    static QString settingsSection();

    // Shows window (added to its area) where table's window last was, or
    // the first time at its size hint, within the area, its contents no
    // smaller than smallest where the area has room; remembers its place
    // from then on and stores it when the window goes.
    static void show(QMdiSubWindow* window, const QString& table, QSize smallest);

    ~WindowPlace() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlace(QMdiSubWindow* window, const QString& table);
    void note();

    QMdiSubWindow* m_window;
    QString m_table;
    QRect m_normal; // the place while neither maximized nor minimized
    bool m_maximized = false;
};
