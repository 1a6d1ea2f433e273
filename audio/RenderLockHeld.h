#pragma once

// Chooses the form of an operation that runs where the device's render lock is already
// held: inside a render routine on the render thread, where taking the lock again would
// deadlock. Whoever passes it vouches that it holds the lock.
struct RenderLockHeld {
    explicit RenderLockHeld() = default;
};

inline constexpr RenderLockHeld renderLockHeld{};
