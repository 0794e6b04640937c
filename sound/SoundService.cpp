#include "sound/SoundService.h"

#include "sound/SdlSound.h"

namespace zorvak {

namespace {
std::unique_ptr<TSoundService>& Installed() {
    static std::unique_ptr<TSoundService> service;
    return service;
}
} // namespace

TSoundService& SoundService() {
    auto& service = Installed();
    if (!service)
        service = std::make_unique<TSdlSound>();
    return *service;
}

std::unique_ptr<TSoundService> SetSoundService(std::unique_ptr<TSoundService> service) {
    auto previous = std::move(Installed());
    Installed() = std::move(service);
    return previous;
}

} // namespace zorvak
