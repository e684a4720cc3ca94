#pragma once

#include <windows.h>

namespace vimbrel::win32::msaa {

// IAccessible's interface id, defined here: the x86_64 toolchain's -luuid
// held a wrong one, with which the 64-bit build got E_NOINTERFACE.
inline constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// IAccessible2's IA2_EVENT_DOCUMENT_LOAD_COMPLETE (AccessibleEventId), which
// Chromium fires on a page's window through NotifyWinEvent.
inline constexpr DWORD kEventDocumentLoadComplete = 0x105;

// accNavigate's relation from Firefox's root to the tab's document.
inline constexpr long kNavRelationEmbeds = 0x1009;

// The object id of the WM_GETOBJECT that, with a read of a name after it,
// makes Chromium fill in its pages for a program that reads them.
inline constexpr LPARAM kChromiumSwitchOnObjectId = 1;

// The window classes of the pages.
inline constexpr wchar_t kInternetExplorerPageClass[] = L"Internet Explorer_Server";
inline constexpr wchar_t kChromiumPageClass[] = L"Chrome_RenderWidgetHostHWND";

}  // namespace vimbrel::win32::msaa
