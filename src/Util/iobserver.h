#pragma once

namespace Util {

// How the model tells whoever listens (the user interface, a batch runner,
// a test) that something happened; the listener decides what that means.
class IObserver
{
public:
    virtual ~IObserver() = default;
    virtual void notify() = 0;
};

} // namespace Util
