#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QMenu;

namespace pelto {

class TDressingSession;
struct TStepCaption;

/// What a step of the history did, in the window's language; in English CaptionText's words.
QString StepCaptionText(const TStepCaption& Caption);

/// The Edit menu: undo and redo of the changes of look, random outfits and colours, and the
/// slots and colour positions these leave alone. Its entries show the session as it stands;
/// it keeps nothing of its own.
class TEditMenu : public QObject {
public:
    struct THooks {
        /// The session edited, or nullptr while there is none.
        std::function<TDressingSession*()> SessionOf;
        /// Says on the status line what a command did.
        std::function<void(const QString& Text)> Say;
        /// The locks changed: their marks follow.
        std::function<void()> LocksChanged;
    };

    /// Fills Edit, which the window's own editing commands then follow.
    TEditMenu(QMenu& Edit, THooks Hooks);

    /// Enables and checks the entries as the session stands.
    void Update();

private:
    void Walk(bool Back);
    void Randomize(bool ColorsOnly);

    THooks FHooks;
    // Owned by the menu bar through Qt's parent ownership.
    QAction* miUndo = nullptr;
    QAction* miRedo = nullptr;
    QAction* miRandomOutfit = nullptr;
    QAction* miRandomColors = nullptr;
    QMenu* miLock = nullptr;
    std::array<QAction*, 6> FSlotLocks{};     // slot s at FSlotLocks[s - 1]
    std::array<QAction*, 4> FPositionLocks{}; // position p at FPositionLocks[p]
};

} // namespace pelto
