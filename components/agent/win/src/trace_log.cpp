#include "trace_log.h"

#include <vector>

#include "win32util/handles.h"

namespace agent::win {

TraceLog TraceLog::FromRegistry() {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return TraceLog(L"");
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &bytes) != ERROR_SUCCESS) {
        return TraceLog(L"");
    }
    return TraceLog(std::wstring(buffer.data()));
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
