#pragma once
// How a failing step is expressed. An operation that cannot be done throws StepFailed; a
// routine that goes on after a failing step runs each step through attempt(), which swallows
// the failure so that the step simply has no effect.

#include <exception>
#include <stdexcept>
#include <string>

struct StepFailed : std::runtime_error {
    explicit StepFailed(const std::string& what) : std::runtime_error(what) {}
};

// Runs one step; a failure of any kind ends only that step. Returns whether it completed.
template <class Step> bool attempt(Step&& step) noexcept {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    } catch (...) {
        return false;
    }
}
