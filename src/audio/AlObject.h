#pragma once
#include <AL/al.h>
#include <AL/alc.h>

#include <memory>
#include <utility>

namespace drifthold::al {

// Owns one AL object name and deletes the object when it goes, as gl::Object does for GL:
// moves hand the name over, copies are impossible, name 0 owns nothing and makes no AL
// call. Names belong to the current context, so every owner must go before it; and a
// buffer cannot be deleted while a source still holds it, so sources go first.
template <class Kind> class Object {
public:
    Object() noexcept = default;
    // Takes over `name`, which must be an object of this kind (or 0).
    explicit Object(ALuint name) noexcept : name_(name) {}
    Object(Object&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.name_, 0));
        return *this;
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() { reset(); }

    // A new object of this kind; 0 when AL could not make one.
    static Object create() { return Object(Kind::create()); }

    ALuint id() const noexcept { return name_; }
    operator ALuint() const noexcept { return name_; }

    // Deletes the object held so far, if any, and takes `name` instead.
    void reset(ALuint name = 0) noexcept {
        if (name_ != 0)
            Kind::destroy(name_);
        name_ = name;
    }

private:
    ALuint name_ = 0;
};

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
