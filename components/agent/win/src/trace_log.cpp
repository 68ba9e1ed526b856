#include "trace_log.h"

#include "win32util/handles.h"
#include "win32util/registry.h"

namespace agent::win {

TraceLog TraceLog::FromRegistry() {
    return TraceLog(win32util::ReadRegistryString(HKEY_CURRENT_USER, kKey, kValue).value_or(L""));
}

void TraceLog::Write(const TraceLine& line) const {
    if (!Enabled()) return;
    const win32util::UniqueFile file(CreateFileW(
        path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return;
    const std::string text = line.str() + "\n";
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace agent::win
