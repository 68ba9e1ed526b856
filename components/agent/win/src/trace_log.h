// The optional trace file: one line per request received and per event raised, appended as
// UTF-8. Off unless HKEY_CURRENT_USER\Software\Vocalinka\Agent\TraceFile (REG_SZ) names a
// file; the value is read once, when the Control is created.
#pragma once

#include <string>

#include "portable/trace_format.h"

namespace agent::win {

class TraceLog {
public:
    static constexpr wchar_t kKey[] = L"Software\\Vocalinka\\Agent";
    static constexpr wchar_t kValue[] = L"TraceFile";

    // The file named in the registry, or off.
    static TraceLog FromRegistry();
    explicit TraceLog(std::wstring path) : path_(std::move(path)) {}

    bool Enabled() const noexcept { return !path_.empty(); }
    // Opens, appends and closes, so that a reader sees every line at once and the file is
    // never held open. A file that cannot be written loses the line silently: tracing must
    // never disturb the reading.
    void Write(const TraceLine& line) const;

private:
    std::wstring path_;
};

}  // namespace agent::win
