// Small Win32 helpers of the program: its folders and the files in them; owning
// handles and text conversion come from win32util.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "win32util/handles.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::ToU16;
using win32util::ToWide;
using win32util::Unique;
using win32util::UniqueBitmap;
using win32util::UniqueFile;
using win32util::UniqueIcon;
using win32util::UniqueKey;
using win32util::UniqueMenu;
using win32util::UniqueWindow;
using win32util::Utf8ToWide;
using win32util::WideToUtf8;
using win32util::WindowDpi;
using win32util::WindowText;

// The folder that holds the running program, without a trailing backslash.
std::wstring ProgramFolder();

// The Windows folder (empty when the system cannot say), without a trailing backslash.
std::wstring WindowsDirectory();

// Regular files of `folder` whose names end in `extension` (any letter case): no folders, no
// hidden or system files, in the order the file system gives them. Names only.
std::vector<std::wstring> FilesWithExtension(const std::wstring& folder,
                                             std::wstring_view extension);

}  // namespace vocalinka
