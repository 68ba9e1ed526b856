#include "trace_reader.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "ui/win32_util.h"

namespace e2e {
namespace {

constexpr wchar_t kAgentKey[] = L"Software\\Vocalinka\\Agent";

// One token: bare, or quoted with \\ \" \r \n \t \uXXXX escapes.
bool NextToken(const std::string& line, std::size_t& pos, std::wstring& token) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size()) return false;
    std::string utf8;
    std::wstring wide;
    auto flush = [&] {
        wide += vocalinka::Utf8ToWide(utf8);
        utf8.clear();
    };
    if (line[pos] != '"') {
        const std::size_t end = line.find(' ', pos);
        utf8 = line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? line.size() : end;
        flush();
        token = wide;
        return true;
    }
    for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
        if (line[pos] != '\\' || pos + 1 >= line.size()) {
            utf8 += line[pos];
            continue;
        }
        const char escaped = line[++pos];
        switch (escaped) {
            case 'r':
                utf8 += '\r';
                break;
            case 'n':
                utf8 += '\n';
                break;
            case 't':
                utf8 += '\t';
                break;
            case 'u':
                flush();
                wide += static_cast<wchar_t>(std::stoi(line.substr(pos + 1, 4), nullptr, 16));
                pos += 4;
                break;
            default:
                utf8 += escaped;
        }
    }
    ++pos;  // the closing quote
    flush();
    token = wide;
    return true;
}

}  // namespace

Trace::Trace() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    path_ = std::wstring(temp) + L"vocalinka-trace-" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(++serial) + L".log";
    DeleteFileW(path_.c_str());
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kAgentKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
    RegSetValueExW(key, L"TraceFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path_.c_str()),
                   static_cast<DWORD>((path_.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

Trace::~Trace() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAgentKey, L"TraceFile");
    DeleteFileW(path_.c_str());
}

std::vector<TraceEntry> Trace::Entries() const {
    std::vector<TraceEntry> entries;
    std::ifstream in(vocalinka::WideToUtf8(path_), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t pos = 0;
        std::wstring kind, name, id, arg;
        if (!NextToken(line, pos, kind) || !NextToken(line, pos, name) ||
            !NextToken(line, pos, id)) {
            continue;  // a line still being written
        }
        TraceEntry entry{vocalinka::WideToUtf8(kind), vocalinka::WideToUtf8(name), id, {}};
        while (NextToken(line, pos, arg)) entry.args.push_back(arg);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<TraceEntry> Trace::Find(const std::string& kind, const std::string& name) const {
    std::vector<TraceEntry> found;
    for (auto& entry : Entries()) {
        if (entry.kind == kind && entry.name == name) found.push_back(std::move(entry));
    }
    return found;
}

}  // namespace e2e
