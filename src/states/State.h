#pragma once

namespace drifthold {

struct GameContext;

// A screen of the game. Every operation does nothing here; states override what they use.
class State {
public:
    explicit State(GameContext* shared) : context(shared) {}
    virtual ~State() = default;

    virtual void init() {}
    virtual void activate() {}
    // Two slots kept free in the interface for screens to come: nothing calls them, and
    // no state does anything in them.
    virtual void reserved0() {}
    virtual void reserved1() {}
    // A pressed key's GLFW code, or -1 for the release of any key.
    virtual void handleKey(int key) { (void)key; }
    virtual void update(double dt) { (void)dt; }
    virtual void render() {}

    GameContext* const context;
};

} // namespace drifthold
