#pragma once
// The movie service's start, counted for the whole process: the first user starts the service,
// the last one shuts it down. One ComInitializer holds a use for the whole run of the program
// (app/static_objects.cpp makes it first and deletes it last); the movie player refuses to open
// anything while it holds none.

#include <cstdint>

namespace kv {

// Starts the movie service when nobody uses it yet. Returns the use count before the call (0
// for the first user), or -1 when the service cannot be started (the count stays 0).
std::int32_t ComAddRef();
// Gives one use back; the last one shuts the service down. Nothing when nobody uses it.
void ComRelease();
// The process's use count.
std::int32_t ComUseCount();

class ComInitializer {
public:
    // Takes a use (ComAddRef); the flags tell whether that worked.
    ComInitializer();
    // Gives the use back when it holds one.
    virtual ~ComInitializer();
    ComInitializer(const ComInitializer&) = delete;
    ComInitializer& operator=(const ComInitializer&) = delete;

    // Takes another use; false when the service cannot be started.
    bool Init();
    // Gives a use back when it holds one; the flags stay as they are.
    void Release();

    std::int32_t Result() const { return result_; }
    bool HoldsReference() const { return holdsReference_ != 0; }
    bool Usable() const { return usable_ != 0; }

private:
    std::int32_t result_ = 0;
    std::uint8_t holdsReference_ = 0;
    std::uint8_t usable_ = 0;
};

}  // namespace kv
