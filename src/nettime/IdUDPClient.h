#pragma once
// A UDP client: a UDP component that talks to one peer, Host:Port.
//
// Each component gets its own socket, bound by the system to a random free
// port at the first send; a fresh component per exchange keeps the local
// port unpredictable.

#include <string>
#include <string_view>
#include <utility>

#include "nettime/IdUDPBase.h"

namespace kairos {

class TIdUDPClient : public TIdUDPBase {
public:
    TIdUDPClient() = default;
    ~TIdUDPClient() override = default;

    // The peer's name or dotted-quad address.
    const std::string& Host() const { return host_; }
    void SetHost(std::string host) { host_ = std::move(host); }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    // One datagram to Host:Port. Raises what ResolveHostAddress and
    // TIdSocketHandle::SendTo raise.
    void SendDatagram(std::string_view data) { SendDatagramTo(host_, port_, data); }

private:
    std::string host_;
    int port_ = 0;
};

}  // namespace kairos
