#include "service/ServiceHolder.h"

#include "service/RenderService.h"

#include <utility>

namespace pelto::service {

TServiceHolder::TServiceHolder(std::shared_ptr<TRenderService> Service)
    : FService(std::move(Service)) {}

std::shared_ptr<TRenderService> TServiceHolder::Current() const {
    const std::lock_guard Lock(FMutex);
    return FService;
}

void TServiceHolder::Replace(std::shared_ptr<TRenderService> Service) {
    std::shared_ptr<TRenderService> Old;
    {
        const std::lock_guard Lock(FMutex);
        Old = std::exchange(FService, std::move(Service));
    }
    // Old, when it was the last holder, is freed here, outside the lock.
}

} // namespace pelto::service
