// Holding back the signals that end a process while a file is rewritten.
#include <signal.h>

#include <cstring>

#include "io/platform.h"

namespace platform {

static_assert(sizeof(sigset_t) <= 128, "the saved mask must hold a sigset_t");

DeferInterrupts::DeferInterrupts() {
    sigset_t block, previous;
    sigemptyset(&block);
    for (int s : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE}) sigaddset(&block, s);
    if (sigprocmask(SIG_BLOCK, &block, &previous) == 0) {
        std::memcpy(saved, &previous, sizeof previous);
        active = true;
    }
}

DeferInterrupts::~DeferInterrupts() {
    if (!active) return;
    sigset_t previous;
    std::memcpy(&previous, saved, sizeof previous);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace platform
