#pragma once
// A UDP component owning one socket handle, created on first need.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "nettime/IdComponent.h"
#include "nettime/IdException.h"
#include "nettime/IdSocketHandle.h"
#include "nettime/IdStack.h"

namespace kairos {

inline constexpr int IdDefaultBufferSize = 8192;

// Where a datagram came from or went to; empty and 0 when there is none.
struct TIdPeer {
    std::string IP;  // dotted quad
    int Port = 0;    // host order
};

class TIdUDPBase : public TIdComponent {
public:
    TIdUDPBase() = default;
    ~TIdUDPBase() override = default;

    // The wait used for a receive asked with IdTimeoutDefault.
    int ReceiveTimeout() const { return receiveTimeout_; }
    void SetReceiveTimeout(int milliseconds) { receiveTimeout_ = milliseconds; }
    // The longest datagram that can be received.
    int BufferSize() const { return bufferSize_; }
    void SetBufferSize(int bytes) { bufferSize_ = bytes; }
    // Takes effect on the next socket allocated.
    bool BroadcastEnabled() const { return broadcastEnabled_; }
    void SetBroadcastEnabled(bool enabled) { broadcastEnabled_ = enabled; }

    // True while the component owns an open socket; setting it opens or
    // closes one.
    bool Active() const;
    void SetActive(bool active);

    // The socket handle, with a socket allocated if it had none.
    TIdSocketHandle& Binding();

    // Resolves the host (ResolveHostAddress) and sends one datagram there.
    void SendDatagramTo(const std::string& host, int port, std::string_view data);

    // At most BufferSize bytes of one datagram; empty when nothing arrived in
    // time. The sender is noted in LastPeer (empty when nothing arrived).
    std::string ReceiveDatagram(int timeoutMs = IdTimeoutDefault);
    // The same, also handing the sender to the caller.
    std::string ReceiveDatagram(int timeoutMs, TIdPeer& peer);

    // The sender of the datagram of the last receive.
    const TIdPeer& LastPeer() const { return lastPeer_; }
    // The resolved address and the port of the last datagram sent, so that
    // a reply can be matched against where the request really went.
    const TIdPeer& LastDestination() const { return lastDestination_; }

private:
    std::optional<TIdSocketHandle> binding_;
    int receiveTimeout_ = IdTimeoutInfinite;
    int bufferSize_ = IdDefaultBufferSize;
    bool broadcastEnabled_ = false;
    TIdPeer lastPeer_;
    TIdPeer lastDestination_;
};

}  // namespace kairos
