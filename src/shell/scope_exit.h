// Runs a function when the scope ends, on every path out of it: for state that must be put
// back whatever happens in between.
#pragma once

#include <utility>

namespace vocalinka {

template <class Function>
class ScopeExit {
public:
    explicit ScopeExit(Function onExit) : onExit_(std::move(onExit)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { onExit_(); }

private:
    Function onExit_;
};

}  // namespace vocalinka
