#include "nettime/IdUDPBase.h"

#include <algorithm>

namespace kairos {

bool TIdUDPBase::Active() const { return binding_ && binding_->HandleAllocated(); }

void TIdUDPBase::SetActive(bool active) {
    if (active) {
        Binding();
    } else if (binding_) {
        binding_->CloseSocket();
    }
}

TIdSocketHandle& TIdUDPBase::Binding() {
    if (!binding_) binding_.emplace();
    if (!binding_->HandleAllocated()) {
        binding_->AllocateSocket(broadcastEnabled_ ? platform::BroadcastOption::Enabled
                                                   : platform::BroadcastOption::Disabled);
    }
    return *binding_;
}

void TIdUDPBase::SendDatagramTo(const std::string& host, int port, std::string_view data) {
    const std::string ip = ResolveHostAddress(host);
    Binding().SendTo(ip, port, data);
    // Written the way received senders are, so the two compare as text.
    lastDestination_ = {FormatDottedQuad(*ParseDottedQuad(ip)), port};
}

std::string TIdUDPBase::ReceiveDatagram(int timeoutMs) {
    TIdPeer ignored;
    return ReceiveDatagram(timeoutMs, ignored);
}

std::string TIdUDPBase::ReceiveDatagram(int timeoutMs, TIdPeer& peer) {
    const int timeout = timeoutMs == IdTimeoutDefault ? receiveTimeout_ : timeoutMs;
    lastPeer_ = {};
    peer = {};
    TIdSocketHandle& binding = Binding();
    if (!binding.WaitReadable(timeout)) return {};
    std::string data = binding.RecvFrom(static_cast<std::size_t>(std::max(bufferSize_, 0)));
    lastPeer_ = {binding.PeerIP(), binding.PeerPort()};
    peer = lastPeer_;
    return data;
}

}  // namespace kairos
