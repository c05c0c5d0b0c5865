#pragma once
// What a division asks of the data labels registered with it: to run their
// binding step again, so that their automatic buttons follow a change of the
// field configuration.

namespace databound {

class IDivisionLabel {
public:
    virtual ~IDivisionLabel() = default;
    virtual void Rebind() = 0;
};

}  // namespace databound
