#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>

class QCheckBox;
class QGroupBox;
class QPushButton;

// "PlayerTable Settings": the modal dialog in which the user picks the
// player grid's visible columns. Every click is stored at once; OK hands
// the stored choice to the open player grid through apply.
class PlayerColumnsDialog : public QDialog
{
    Q_OBJECT
public:
    // Loads the single instance into shown (unless one is shown already)
    // over parent, runs it modally and returns once it has unloaded; OK calls
    // apply first.
    static void showModal(QPointer<PlayerColumnsDialog>& shown, QWidget* parent,
                          std::function<void()> apply);

    void confirm();
    void cancel();
    void showHelp();
    // The click handler of the check box that governs key index (0 = "Item1",
    // 20 = "Potential").
    void columnToggled(int index);

    QCheckBox* checkBox(const QString& objectName) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PlayerColumnsDialog(QWidget* parent, std::function<void()> apply);
    void checkSavedColumns();
    void buildControls();
    void placeControls();
    void buildTabOrder();
    QPushButton* addButton(const QString& name, const QString& caption,
                           void (PlayerColumnsDialog::*handler)());

    std::function<void()> m_apply;
    QGroupBox* m_frame = nullptr;
    QList<QCheckBox*> m_boxes; // all 22, in layout order
    QList<QCheckBox*> m_keyed; // by key index, "Item1" .. "Potential"
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
};
