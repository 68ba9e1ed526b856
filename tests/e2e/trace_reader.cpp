#include "trace_reader.h"

#include <algorithm>
#include <string_view>

#include "win32util/text.h"

namespace e2e {
namespace {

// The next token of a line from `pos`: bare, or quoted with \\ \" \r \n \t \uXXXX escapes.
bool NextToken(const std::wstring& line, std::size_t& pos, std::wstring& token) {
    while (pos < line.size() && line[pos] == L' ') ++pos;
    if (pos >= line.size()) return false;
    token.clear();
    if (line[pos] != L'"') {
        const std::size_t end = std::min(line.find(L' ', pos), line.size());
        token = line.substr(pos, end - pos);
        pos = end;
        return true;
    }
    for (++pos; pos < line.size() && line[pos] != L'"'; ++pos) {
        if (line[pos] != L'\\' || pos + 1 >= line.size()) {
            token += line[pos];
            continue;
        }
        const wchar_t escaped = line[++pos];
        if (escaped == L'u') {
            token += static_cast<wchar_t>(std::stoi(line.substr(pos + 1, 4), nullptr, 16));
            pos += 4;
            continue;
        }
        const std::size_t control = std::wstring_view(L"rnt").find(escaped);
        token += control == std::wstring_view::npos ? escaped : L"\r\n\t"[control];
    }
    ++pos;  // the closing quote
    return true;
}

}  // namespace

Trace::Trace() : folder_(UniqueName(L"trace")) {
    setting_.Set(folder_.Path() + L"\\trace.log");
}

std::vector<TraceEntry> Trace::Find(const std::string& kind, const std::string& name) const {
    std::vector<TraceEntry> found;
    for (const std::string& bytes : FileLines(folder_.Path() + L"\\trace.log")) {
        // The escapes are ASCII: the line is decoded first, the escapes after.
        const std::wstring line = win32util::Utf8ToWide(bytes);
        std::size_t pos = 0;
        std::wstring entryKind, entryName, id, arg;
        if (!NextToken(line, pos, entryKind) || !NextToken(line, pos, entryName) ||
            !NextToken(line, pos, id) || win32util::WideToUtf8(entryKind) != kind ||
            win32util::WideToUtf8(entryName) != name) {
            continue;  // another entry, or a line still being written
        }
        TraceEntry entry{kind, name, id, {}};
        while (NextToken(line, pos, arg)) entry.args.push_back(arg);
        found.push_back(std::move(entry));
    }
    return found;
}

}  // namespace e2e
