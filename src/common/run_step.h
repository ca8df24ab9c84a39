#pragma once
// Steps of a sequence whose later steps must run even when one fails (out
// of memory in the host's crowded address space): a failure ends that step
// only.

namespace tarnwick {

// True when the step completed.
template <typename Step>
bool RunStep(Step&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace tarnwick
