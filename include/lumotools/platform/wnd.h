// CWnd, the framework's window object, with its message maps, and the framework's message loop.
//
// A CWnd is attached to at most one window handle. Windows created through CWnd::Create/CreateEx
// are subclassed at birth: their procedure becomes the framework's, which hands each message to the
// object's WindowProc; what the object's message map does not handle goes to the class's own
// procedure (DefWindowProc of the object). A class declares its map with DECLARE_MESSAGE_MAP() and
// defines it with BEGIN_MESSAGE_MAP(theClass, baseClass) ... END_MESSAGE_MAP(); a class's entries
// are searched before its base's.
//
// The message loop (AfxPumpMessage, LumoPumpPendingMessages) offers each message to
// PreTranslateMessage of the window objects from the message's window up through its parents; a
// message none of them takes is translated and dispatched. As in the framework, objects of windows
// that the program did not attach (FromHandle of a foreign handle) are temporary: they are owned
// by the thread and deleted once their window is gone.
//
// Window objects belong to the thread that owns their windows.
#ifndef LUMOTOOLS_PLATFORM_WND_H_
#define LUMOTOOLS_PLATFORM_WND_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/font.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/point_rect.h"
#include "lumotools/platform/window.h"

class CWnd;

// A handler in a message map: a function that unpacks the message's parameters and calls the
// class's member function (made by the ON_ macros below).
using AFX_PMSG = LRESULT (*)(CWnd* wnd, WPARAM wParam, LPARAM lParam);

// The member function signatures the ON_ macros accept.
enum AfxSig : UINT_PTR {
  AfxSig_end = 0,
  AfxSig_vv,    // void ()
  AfxSig_vW,    // void (CWnd*)
  AfxSig_vwWb,  // void (UINT, CWnd*, BOOL)
  AfxSig_vwp,   // void (UINT, CPoint)
  AfxSig_vwww,  // void (UINT, UINT, UINT)
  AfxSig_is,    // int (CREATESTRUCT*)
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;    // notification code for WM_COMMAND entries
  UINT nID;      // first control id for WM_COMMAND entries
  UINT nLastID;  // last control id
  UINT_PTR nSig;
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Notifications a parent receives in WM_COMMAND come back to the control that sent them as this
// base plus WM_COMMAND, so a control can handle its own notifications.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass = theClass;                                                     \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                    \
  { 0, 0, 0, 0, AfxSig_end, nullptr }                                        \
  }                                                                          \
  ;                                                                          \
  static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

#define LUMO_MSG_ENTRY(message, code, id, lastId, sig, fn) \
  {message, code, id, lastId, sig, &AfxThunk<ThisClass, decltype(fn), fn>::sig},

#define ON_WM_KILLFOCUS() LUMO_MSG_ENTRY(WM_KILLFOCUS, 0, 0, 0, AfxSig_vW, &ThisClass::OnKillFocus)
#define ON_WM_SETFOCUS() LUMO_MSG_ENTRY(WM_SETFOCUS, 0, 0, 0, AfxSig_vW, &ThisClass::OnSetFocus)
#define ON_WM_NCDESTROY() LUMO_MSG_ENTRY(WM_NCDESTROY, 0, 0, 0, AfxSig_vv, &ThisClass::OnNcDestroy)
#define ON_WM_DESTROY() LUMO_MSG_ENTRY(WM_DESTROY, 0, 0, 0, AfxSig_vv, &ThisClass::OnDestroy)
#define ON_WM_ACTIVATE() LUMO_MSG_ENTRY(WM_ACTIVATE, 0, 0, 0, AfxSig_vwWb, &ThisClass::OnActivate)
#define ON_WM_LBUTTONDOWN() \
  LUMO_MSG_ENTRY(WM_LBUTTONDOWN, 0, 0, 0, AfxSig_vwp, &ThisClass::OnLButtonDown)
#define ON_WM_LBUTTONUP() LUMO_MSG_ENTRY(WM_LBUTTONUP, 0, 0, 0, AfxSig_vwp, &ThisClass::OnLButtonUp)
#define ON_WM_KEYDOWN() LUMO_MSG_ENTRY(WM_KEYDOWN, 0, 0, 0, AfxSig_vwww, &ThisClass::OnKeyDown)
#define ON_WM_CREATE() LUMO_MSG_ENTRY(WM_CREATE, 0, 0, 0, AfxSig_is, &ThisClass::OnCreate)
// A notification the control sent to its parent, handled by the control itself.
#define ON_CONTROL_REFLECT(code, fn) \
  LUMO_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, AfxSig_vv, &ThisClass::fn)
// A notification from the child control with the given id, handled by the parent.
#define ON_CONTROL(code, id, fn) LUMO_MSG_ENTRY(WM_COMMAND, code, id, id, AfxSig_vv, &ThisClass::fn)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)

class LUMO_PLATFORM_EXPORT CWnd : public CObject {
 public:
  CWnd();
  // Destroys the window when one is still attached.
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The permanent object attached to hWnd, else a temporary one (see above); null for null.
  static CWnd* FromHandle(HWND hWnd);
  // The object attached to hWnd; null when none is.
  static CWnd* FromHandlePermanent(HWND hWnd);

  // Attaches a window that has no object yet; FALSE when this object has one or hWnd is taken.
  BOOL Attach(HWND hWndNew);
  // Forgets the window (which lives on) and returns it.
  HWND Detach();
  // Attaches a window and routes its messages through this object; FALSE as Attach.
  BOOL SubclassWindow(HWND hWnd);

  // Creates the window as a child of pParentWnd (or a top-level window when it is null) with
  // control id nID, attached and subclassed before its first message. FALSE when creation fails.
  virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                        DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                        LPVOID lpParam = nullptr);
  virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                      const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Destroys the window. The object may be gone when this returns (self-deleting windows).
  virtual BOOL DestroyWindow();

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return GetSafeHwnd(); }  // NOLINT: the framework converts implicitly

  void SetWindowText(LPCTSTR lpszString);
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(const RECT* lpRect, BOOL bRepaint = TRUE);
  void GetWindowRect(RECT* lpRect) const;
  void GetClientRect(RECT* lpRect) const;
  // Gives the window the font (not owned: the font must outlive its use by the window).
  void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
  HFONT GetFontHandle() const;
  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Takes the focus; returns the object of the window that had it (may be temporary, may be null).
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* GetParent() const;
  BOOL IsChild(const CWnd* pWnd) const;
  int GetDlgCtrlID() const;

  // Offered every message of the loop whose window is this one or lies inside it, before it is
  // translated and dispatched; TRUE when the object dealt with it. The default deals with nothing.
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // Offers pMsg to PreTranslateMessage of the window objects from its window up to (not beyond)
  // hWndStop, or to the top when hWndStop is null; TRUE when one took it.
  static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

  // The window this object is attached to; null when none.
  HWND m_hWnd = nullptr;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Every message of the window: its message map first, then DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Calls the map's handler for the message; FALSE when the map has none.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // The window class's own procedure (or the system's default one).
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_COMMAND: a control's notification goes first to the control itself (reflected), then to
  // this window's map.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // A notification this window sent to its parent, offered back to its map; TRUE when handled.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Called after the window is gone and the object detached; the place where self-deleting
  // objects delete themselves.
  virtual void PostNcDestroy();
  // DefWindowProc with the message being handled.
  LRESULT Default();

  void OnKillFocus(CWnd* pNewWnd);
  void OnSetFocus(CWnd* pOldWnd);
  void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  void OnDestroy();
  // The default processing, then Detach and PostNcDestroy.
  void OnNcDestroy();

  WNDPROC m_pfnSuper = nullptr;

 private:
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  static void AttachCreating(HWND hWnd, void* self);
};

// The handler functions of message-map entries: one per signature, calling member F of T.
template <typename T, typename M, M F>
struct AfxThunk {
  static LRESULT AfxSig_vv(CWnd* wnd, WPARAM, LPARAM) {
    (static_cast<T*>(wnd)->*F)();
    return 0;
  }
  static LRESULT AfxSig_vW(CWnd* wnd, WPARAM wParam, LPARAM) {
    (static_cast<T*>(wnd)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));
    return 0;
  }
  static LRESULT AfxSig_vwWb(CWnd* wnd, WPARAM wParam, LPARAM lParam) {
    (static_cast<T*>(wnd)->*F)(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)),
                               HIWORD(wParam) != 0);
    return 0;
  }
  static LRESULT AfxSig_vwp(CWnd* wnd, WPARAM wParam, LPARAM lParam) {
    (static_cast<T*>(wnd)->*F)(static_cast<UINT>(wParam),
                               CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    return 0;
  }
  static LRESULT AfxSig_vwww(CWnd* wnd, WPARAM wParam, LPARAM lParam) {
    (static_cast<T*>(wnd)->*F)(static_cast<UINT>(wParam), LOWORD(static_cast<UINT_PTR>(lParam)),
                               HIWORD(static_cast<UINT_PTR>(lParam)));
    return 0;
  }
  static LRESULT AfxSig_is(CWnd* wnd, WPARAM, LPARAM lParam) {
    return (static_cast<T*>(wnd)->*F)(reinterpret_cast<CREATESTRUCT*>(lParam));
  }
};

// The procedure of windows that framework objects subclass.
LUMO_PLATFORM_EXPORT LRESULT AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

// Waits for one message of the calling thread and handles it (pre-translation, translation,
// dispatch). FALSE when the message was WM_QUIT.
LUMO_PLATFORM_EXPORT BOOL AfxPumpMessage();
// Handles every message the calling thread has waiting, without waiting for more (a WM_QUIT stops
// it and is left for the next loop). Returns the number handled.
LUMO_PLATFORM_EXPORT int LumoPumpPendingMessages();

#endif  // LUMOTOOLS_PLATFORM_WND_H_
