#include "platform/OrderedWork.h"

#include <algorithm>

namespace pelto {

unsigned WorkThreads() {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    return 1;
#else
    return std::max(1u, std::thread::hardware_concurrency());
#endif
}

TWorkBeside::TWorkBeside(std::function<void(const std::atomic<bool>&)> Work)
    : FWork(std::move(Work)) {
    if (WorkThreads() > 1)
        FThread = std::thread([this] { Run(); });
}

TWorkBeside::~TWorkBeside() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

void TWorkBeside::Wait() {
    if (FThread.joinable())
        FThread.join();
    else if (!FDone)
        Run();
    if (FError)
        std::rethrow_exception(std::exchange(FError, nullptr));
}

void TWorkBeside::Run() {
    try {
        FWork(FStop);
    } catch (...) {
        FError = std::current_exception();
    }
    FDone = true;
}

} // namespace pelto
