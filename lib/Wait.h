// Waiting with the event loop turning, and the busy pointer.
#pragma once

namespace zorv {

// A window whose mouse pointer can be set: 0 the default pointer, 11 the hourglass.
class IMousePointerTarget {
public:
    virtual ~IMousePointerTarget() = default;
    virtual void SetMousePointer(int pointer) = 0;
};

inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;

// Returns once more than `seconds` have passed on a monotonic clock, processing every
// event of this thread meanwhile (it sleeps until the next event or the deadline).
// 0 still processes pending events once; a negative request returns at once.
void WaitSeconds(float seconds);

void SetBusyPointer(IMousePointerTarget& window);
void SetNormalPointer(IMousePointerTarget& window);

} // namespace zorv
