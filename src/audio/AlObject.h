#pragma once
#include "gfx/OwnedName.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <memory>

namespace drifthold::al {

// One owner per AL object name (see OwnedName), as for GL's. Names belong to the current
// context, so every owner must go before it; and a buffer cannot be deleted while a source
// still holds it, so sources go first.
template <class Kind> using Object = OwnedName<Kind, ALuint>;

// One name from an alGen* function, or 0 when it failed (any earlier error is cleared
// first, so it cannot be mistaken for this call's).
template <typename Generate> ALuint generateOne(Generate generate) {
    alGetError();
    ALuint name = 0;
    generate(1, &name);
    return alGetError() == AL_NO_ERROR ? name : 0;
}

// Deleting a playing source stops it first.
struct SourceKind {
    static ALuint create() { return generateOne(alGenSources); }
    static void destroy(ALuint name) { alDeleteSources(1, &name); }
};

struct BufferKind {
    static ALuint create() { return generateOne(alGenBuffers); }
    static void destroy(ALuint name) { alDeleteBuffers(1, &name); }
};

using Source = Object<SourceKind>;
using Buffer = Object<BufferKind>;

// The context is made non-current before it is destroyed (destroying the current one
// fails), and it must go before its device is closed.
struct DestroyContext {
    void operator()(ALCcontext* context) const noexcept {
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
};

struct CloseDevice {
    void operator()(ALCdevice* device) const noexcept { alcCloseDevice(device); }
};

using Context = std::unique_ptr<ALCcontext, DestroyContext>;
using Device = std::unique_ptr<ALCdevice, CloseDevice>;

} // namespace drifthold::al
