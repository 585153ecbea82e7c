#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace pelto {

class TDressingSession;
class TViewPanel;

/// The keys that act on the character shown without a menu command of their own: the arrows
/// turn it, Page Up and Page Down change the motion, Space plays or stops, comma and period
/// step the frames, and each keypad digit does what the view's cell in its place does. They do
/// nothing while no character is chosen, and the keypad's digits are the code box's own while
/// it has the focus.
class TViewKeys : public QObject {
public:
    /// The keys act in Window; SessionOf gives the session shown, or nullptr while there is none.
    TViewKeys(QWidget& Window, TViewPanel& View, const QWidget& CodeBox,
              std::function<TDressingSession*()> SessionOf);
    ~TViewKeys() override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    /// The session while it shows a character, else nullptr.
    TDressingSession* Dressed() const;

    QWidget& FWindow;
    TViewPanel& FView;
    const QWidget& FCodeBox;
    std::function<TDressingSession*()> FSessionOf;
};

} // namespace pelto
