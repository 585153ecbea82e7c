#include "ui/TryOnHover.h"

#include "ui/PeltoApplication.h"

#include <QTimer>

#include <utility>

namespace pelto {

TTryOnHover::TTryOnHover(std::function<TDressingSession*()> SessionOf, QObject* Parent)
    : QObject(Parent), FSessionOf(std::move(SessionOf)), FTimer(new QTimer(this)) {
    FTimer->setSingleShot(true);
    FTimer->setInterval(0);
    connect(FTimer, &QTimer::timeout, this, Command([this] {
                const std::optional<TTryOn> Due = std::exchange(FDue, std::nullopt);
                // An item of another game's session must not reach the one shown now.
                TDressingSession* Session = FSessionOf();
                if (Due && Session && Session == std::exchange(FDueFor, nullptr))
                    Session->Preview(*Due);
            }));
}

void TTryOnHover::Show(const TTryOn& TryOn) {
    FDue = TryOn;
    FDueFor = FSessionOf();
    if (!FTimer->isActive())
        FTimer->start();
}

void TTryOnHover::End() {
    FTimer->stop();
    FDue.reset();
    FDueFor = nullptr;
    if (TDressingSession* Session = FSessionOf())
        Session->EndPreview();
}

} // namespace pelto
