#include "transport/remoteaskers.h"

namespace corvane {

bool RemoteAskers::Asked(quint32 address) {
    auto it = askers_.find(address);
    if (it != askers_.end()) {
        it->heard = true;
        return false;
    }
    if (askers_.size() >= MaxRemembered)
        return false;
    askers_.insert(address, Asker{});
    return true;
}

void RemoteAskers::Heard(quint32 address) {
    auto it = askers_.find(address);
    if (it != askers_.end())
        it->heard = true;
}

void RemoteAskers::NewRound() {
    for (auto it = askers_.begin(); it != askers_.end();) {
        it->roundsMissed = it->heard ? 0 : it->roundsMissed + 1;
        it->heard = false;
        if (it->roundsMissed >= RoundsWithoutHearing)
            it = askers_.erase(it);
        else
            ++it;
    }
}

} // namespace corvane
