// The About box: title, version, description, and a button that starts the system
// information tool. Not modal; at most one is open.
#pragma once

#include <windows.h>

#include <string>

#include "about/sys_info.h"
#include "ui/dialog_window.h"
#include "win32util/handles.h"

namespace vocalinka {

// "Version " and the major, minor and third number of the version resource of `module`;
// empty when the module carries none.
std::wstring VersionText(HMODULE module);

class frmAbout : public DesignedDialog {
public:
    explicit frmAbout(HINSTANCE instance, SysInfoLocations locations = DefaultSysInfoLocations());

    // Opens the dialog owned by `owner`, or brings the open one forward.
    void Show(HWND owner);

    // For the main message loop: the open About box's keyboard (Tab, Enter, Escape, access
    // keys). True when the message was handled and must not be dispatched again.
    bool PreTranslateMessage(MSG& msg);

private:
    void Form_Load() override;
    void OnLayout(int dpi) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void PaintRule();

    SysInfoLocations locations_;
    win32util::UniqueIcon picture_;  // picIcon's icon
};

}  // namespace vocalinka
