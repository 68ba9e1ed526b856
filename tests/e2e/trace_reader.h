// Reads the Agent component's trace file: one line per request it received and per event it
// raised, e.g.  request Speak Merlin "\\Spd=150\\\\Pit=127\\Good morning"
#pragma once

#include <string>
#include <vector>

#include "program_under_test.h"

namespace e2e {

struct TraceEntry {
    std::string kind;  // "request", "event", "note"
    std::string name;  // "Speak", "BalloonHide", ...
    std::wstring characterId;
    std::vector<std::wstring> args;  // quoted texts decoded; numbers as written
};

// Turns tracing on for programs started from now on, into a new file of its own.
class Trace {
public:
    Trace();
    // The entries of one kind and name, in order.
    std::vector<TraceEntry> Find(const std::string& kind, const std::string& name) const;

private:
    vocalinka::test::TemporaryFolder folder_;
    ScopedRegistryValue setting_{HKEY_CURRENT_USER, L"Software\\Vocalinka\\Agent", L"TraceFile"};
};

}  // namespace e2e
