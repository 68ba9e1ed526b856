#include "settings/list_chooser.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "win32util/files.h"
#include "win32util/text.h"

namespace vocalinka {

using win32util::FilesWithExtension;
using win32util::Utf8ToWide;
using win32util::WideToUtf8;

ListChooser::ListChooser(HINSTANCE instance, int templateId, DialogDesign design, int listId,
                         std::wstring folder, std::wstring_view extension, EntryOf entryOf,
                         std::string ProfileSettings::*field)
    : OkCancelDialog(instance, templateId, design),
      listId_(listId),
      folder_(std::move(folder)),
      extension_(extension),
      entryOf_(entryOf),
      field_(field) {}

void ListChooser::Run(HWND owner, ProfileSettings& settings) {
    settings_ = &settings;
    RunModal(owner);
    settings_ = nullptr;
}

void ListChooser::Form_Load() {
    HWND list = Item(listId_);
    std::vector<std::wstring> entries;
    for (const std::wstring& name : FilesWithExtension(folder_, extension_)) {
        const std::optional<std::string> entry = entryOf_(WideToUtf8(name));
        if (!entry) continue;
        std::wstring shown = Utf8ToWide(*entry);
        // Two files that differ only in letter case (possible where names are case-sensitive)
        // would offer the same entry twice.
        if (std::find(entries.begin(), entries.end(), shown) != entries.end()) continue;
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        entries.push_back(std::move(shown));
    }
    // The first entry, not the current setting, is selected.
    if (!entries.empty()) SendMessageW(list, LB_SETCURSEL, 0, 0);
}

bool ListChooser::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) {
    return message == WM_COMMAND && OkOrCancelCommand(wParam);
}

void ListChooser::cmdOK_Click() {
    HWND list = Item(listId_);
    const auto selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    // Nothing chosen from an empty list: the setting keeps naming what is installed, rather
    // than becoming empty and naming nothing.
    if (selected != LB_ERR) {
        const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
        std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const auto copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(selected),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
        settings_->*field_ = WideToUtf8(text);
    }
    Close();
}

}  // namespace vocalinka
