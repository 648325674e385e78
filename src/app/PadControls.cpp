#include "app/PadControls.h"

#include "app/Input.h"

namespace drifthold {

PadControls::PadControls(GamepadSource source) : input_(source) {}

bool PadControls::poll(State*& currentState, State* gameState, State* menuState) {
    const PadEvents& events = input_.poll(currentState == menuState);
    for (const PadKey& event : events)
        routeKey(currentState, gameState, menuState, event.key, event.action);
    return events.quit;
}

} // namespace drifthold
