#pragma once
#include "states/State.h"

namespace drifthold {

// The menu only reports its keys on the console.
class MenuState : public State {
public:
    using State::State;
    void init() override;
    void handleKey(int key) override;
};

} // namespace drifthold
