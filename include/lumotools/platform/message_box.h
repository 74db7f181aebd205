// AfxMessageBox: the framework's modal message box, reached through a replaceable handler.
//
// There is no window system underneath, so the box is a process-wide handler. The default one
// writes the text and a newline to standard error and returns IDOK at once, as a box closed by
// its OK button. Hosts and tests install their own (a test records the texts). Thread-safe: the
// handler may be replaced while other threads show boxes; each box goes to one handler.
#ifndef LUMOTOOLS_PLATFORM_MESSAGE_BOX_H_
#define LUMOTOOLS_PLATFORM_MESSAGE_BOX_H_

#include <functional>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Receives the text, the style (MB_*) and the help id of a box; returns the button pressed (ID*).
using AfxMessageBoxHandler = std::function<int(const CString& text, UINT nType, UINT nIDHelp)>;

// Shows a modal box and returns the button pressed.
LUMO_PLATFORM_EXPORT int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Makes handler the process-wide box and returns the one it replaces. An empty handler restores
// the default.
LUMO_PLATFORM_EXPORT AfxMessageBoxHandler AfxSetMessageBoxHandler(AfxMessageBoxHandler handler);

#endif  // LUMOTOOLS_PLATFORM_MESSAGE_BOX_H_
