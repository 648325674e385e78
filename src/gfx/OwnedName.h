#pragma once
#include <utility>

namespace drifthold {

// Owns one object name of a C graphics or sound API (GL's, AL's: both name objects with
// unsigned ints) and deletes the object when it goes, through Kind::destroy. Moves hand
// the name over; copies are impossible, so every name has exactly one owner. Name 0 owns
// nothing and makes no call, so objects that were never made need no context.
//
// The name converts to its integer type, so an owner reads like the bare name it
// replaces: glBindBuffer(GL_ARRAY_BUFFER, buffer).
template <class Kind, class Name = unsigned int> class OwnedName {
public:
    OwnedName() noexcept = default;
    // Takes over `name`, which must be an object of this kind (or 0).
    explicit OwnedName(Name name) noexcept : name_(name) {}
    OwnedName(OwnedName&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    OwnedName& operator=(OwnedName&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.name_, 0));
        return *this;
    }
    OwnedName(const OwnedName&) = delete;
    OwnedName& operator=(const OwnedName&) = delete;
    ~OwnedName() { reset(); }

    // A new object of this kind (Kind::create: glGen*, alGen*, ...).
    static OwnedName create() { return OwnedName(Kind::create()); }

    Name id() const noexcept { return name_; }
    operator Name() const noexcept { return name_; }

    // Deletes the object held so far, if any, and takes `name` instead.
    void reset(Name name = 0) noexcept {
        if (name_ != 0)
            Kind::destroy(name_);
        name_ = name;
    }

private:
    Name name_ = 0;
};

} // namespace drifthold
