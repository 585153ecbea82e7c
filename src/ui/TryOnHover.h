#pragma once

#include "model/DressingSession.h"

#include <QObject>

#include <functional>
#include <optional>

class QTimer;

namespace pelto {

/// The try-on of what the pointer or the keyboard's cursor is on in a list. Asked on every
/// move, it shows only the latest ask, on the next turn of the event loop, so that crossing
/// many cells at once draws once and never flickers through them.
class TTryOnHover : public QObject {
public:
    /// SessionOf gives the session shown now, or nullptr.
    TTryOnHover(std::function<TDressingSession*()> SessionOf, QObject* Parent);

    void Show(const TTryOn& TryOn);
    /// Ends the preview at once, and forgets one asked for but not shown yet.
    void End();

private:
    std::function<TDressingSession*()> FSessionOf;
    std::optional<TTryOn> FDue;
    TDressingSession* FDueFor = nullptr; // the session shown when it was asked for
    QTimer* FTimer = nullptr;
};

} // namespace pelto
