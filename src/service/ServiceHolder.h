#pragma once

#include <memory>
#include <mutex>

namespace pelto::service {

class TRenderService;

/// The render service new requests go to. Each request holds the one it began with, so that
/// a service put in its place lets the requests under way finish on the old one, which goes
/// with the last of them.
class TServiceHolder {
public:
    TServiceHolder() = default;
    explicit TServiceHolder(std::shared_ptr<TRenderService> Service);
    TServiceHolder(const TServiceHolder&) = delete;
    TServiceHolder& operator=(const TServiceHolder&) = delete;

    /// nullptr until a service is given.
    std::shared_ptr<TRenderService> Current() const;
    void Replace(std::shared_ptr<TRenderService> Service);

private:
    mutable std::mutex FMutex; // guards FService
    std::shared_ptr<TRenderService> FService;
};

} // namespace pelto::service
