// Scripts for the Agent component's tests: "step argument: what happened, ... | step | ...".
// Playing one writes what happened in the same way, for comparing with the script.
#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <utility>

namespace vocalinka::test {

class ScriptLog {
public:
    // Runs each step through `run` with its name and argument (empty if none) and returns the
    // steps, each with what was noted while it ran.
    std::string Play(const std::string& script,
                     const std::function<void(const std::string&, const std::string&)>& run) {
        log_.clear();
        std::istringstream parts(script);
        for (std::string part; std::getline(parts, part, '|');) {
            std::istringstream words(part.substr(0, part.find(':')));
            std::string step, argument;
            words >> step >> argument;
            log_ += (log_.empty() ? "" : " | ") + step + (argument.empty() ? "" : " " + argument);
            separator_ = ": ";
            run(step, argument);
        }
        return log_;
    }
    void Note(const std::string& what) { log_ += std::exchange(separator_, ", ") + what; }

private:
    std::string log_, separator_;
};

}  // namespace vocalinka::test
