#pragma once
// The base of the network components. Their lifetimes decide the lifetime of
// the process-wide socket stack: the first one created makes it, the last
// one freed frees it.

namespace kairos {

class TIdBaseComponent {
public:
    TIdBaseComponent() = default;
    virtual ~TIdBaseComponent() = default;

    TIdBaseComponent(const TIdBaseComponent&) = delete;
    TIdBaseComponent& operator=(const TIdBaseComponent&) = delete;
};

class TIdComponent : public TIdBaseComponent {
public:
    TIdComponent();
    ~TIdComponent() override;
};

}  // namespace kairos
