// Window objects: a process-wide map from handle to attached object, per-thread temporary objects,
// and the routing of each message through the object's message map.
#include "lumotools/platform/wnd.h"

#include <iterator>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "window_internal.h"

namespace {

struct PermanentMap {
  std::mutex mutex;
  std::unordered_map<HWND, CWnd*> objects;
};

PermanentMap& Permanent() {
  static auto* map = new PermanentMap;  // outlives statics that still hold windows
  return *map;
}

// A temporary object never destroys its window: it is detached before it is deleted.
struct DetachAndDelete {
  void operator()(CWnd* wnd) const {
    wnd->m_hWnd = nullptr;
    delete wnd;
  }
};

// Objects for windows nobody attached, owned by the thread that asked for them.
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd, DetachAndDelete>> t_temporary;

// The message being handled on this thread, for CWnd::Default.
thread_local MSG t_current{};

void DropTemporariesOfDeadWindows() {
  for (auto it = t_temporary.begin(); it != t_temporary.end();) {
    it = IsWindow(it->first) ? std::next(it) : t_temporary.erase(it);
  }
}

bool HandleOne(MSG& msg) {
  if (CWnd::WalkPreTranslateTree(nullptr, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessage(&msg);
  return true;
}

}  // namespace

LRESULT AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
  if (wnd == nullptr) return DefWindowProc(hWnd, nMsg, wParam, lParam);
  const MSG saved = t_current;
  t_current = MSG{hWnd, nMsg, wParam, lParam, 0};
  // The object may delete itself while handling the message (WM_NCDESTROY); it is not touched
  // afterwards.
  const LRESULT result = wnd->WindowProc(nMsg, wParam, lParam);
  t_current = saved;
  return result;
}

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  if (m_hWnd != nullptr) Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  PermanentMap& map = Permanent();
  std::lock_guard<std::mutex> lock(map.mutex);
  auto it = map.objects.find(hWnd);
  return it == map.objects.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (hWnd == nullptr) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(hWnd)) return permanent;
  auto& temporary = t_temporary[hWnd];
  if (!temporary) {
    temporary.reset(new CWnd);
    temporary->m_hWnd = hWnd;
  }
  return temporary.get();
}

BOOL CWnd::Attach(HWND hWndNew) {
  if (m_hWnd != nullptr || hWndNew == nullptr) return FALSE;
  {
    PermanentMap& map = Permanent();
    std::lock_guard<std::mutex> lock(map.mutex);
    if (!map.objects.emplace(hWndNew, this).second) return FALSE;
  }
  m_hWnd = hWndNew;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd != nullptr) {
    PermanentMap& map = Permanent();
    std::lock_guard<std::mutex> lock(map.mutex);
    auto it = map.objects.find(hWnd);
    if (it != map.objects.end() && it->second == this) map.objects.erase(it);
  }
  m_hWnd = nullptr;
  return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  return TRUE;
}

void CWnd::AttachCreating(HWND hWnd, void* self) { static_cast<CWnd*>(self)->SubclassWindow(hWnd); }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  if (m_hWnd != nullptr) return FALSE;
  lumo_platform::HookNextWindowCreation(&CWnd::AttachCreating, this);
  HWND parent = pParentWnd == nullptr ? nullptr : pParentWnd->m_hWnd;
  HWND hWnd =
      ::CreateWindowEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                       rect.right - rect.left, rect.bottom - rect.top, parent,
                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), nullptr, lpParam);
  // A class that does not exist never reaches the hook; it must not fire for a later window.
  lumo_platform::HookNextWindowCreation(nullptr, nullptr);
  return hWnd != nullptr;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CWnd::DestroyWindow() { return m_hWnd != nullptr && ::DestroyWindow(m_hWnd); }

void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowText(m_hWnd, lpszString); }

void CWnd::GetWindowText(CString& rString) const {
  std::string text(static_cast<size_t>(::GetWindowTextLength(m_hWnd)) + 1, '\0');
  text.resize(
      static_cast<size_t>(::GetWindowText(m_hWnd, &text[0], static_cast<int>(text.size()))));
  rString = CString(text);
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLength(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(const RECT* lpRect, BOOL bRepaint) {
  MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
             bRepaint);
}

void CWnd::GetWindowRect(RECT* lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }

void CWnd::GetClientRect(RECT* lpRect) const { ::GetClientRect(m_hWnd, lpRect); }

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont == nullptr ? nullptr : pFont->m_hObject),
              bRedraw);
}

HFONT CWnd::GetFontHandle() const {
  return reinterpret_cast<HFONT>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0));
}

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }

void CWnd::InvalidateRect(const RECT* lpRect, BOOL bErase) {
  ::InvalidateRect(m_hWnd, lpRect, bErase);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessage(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }

CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

BOOL CWnd::IsChild(const CWnd* pWnd) const {
  return pWnd != nullptr && ::IsChild(m_hWnd, pWnd->m_hWnd);
}

int CWnd::GetDlgCtrlID() const { return static_cast<int>(GetWindowLongPtr(m_hWnd, GWLP_ID)); }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd != nullptr && wnd->PreTranslateMessage(pMsg)) return TRUE;
    if (hWnd == hWndStop) break;
  }
  return FALSE;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  using ThisClass = CWnd;
  static const AFX_MSGMAP_ENTRY entries[] = {ON_WM_NCDESTROY(){0, 0, 0, 0, AfxSig_end, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *pResult = 0;
    return TRUE;
  }
  const bool command = message == WM_REFLECT_BASE + WM_COMMAND;
  const UINT code = HIWORD(wParam);
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap == nullptr ? nullptr : map->pfnGetBaseMap()) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
      if (e->nMessage != message || (command && e->nCode != code)) continue;
      *pResult = e->pfn(this, wParam, lParam);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  HWND control = reinterpret_cast<HWND>(lParam);
  if (control != nullptr) {
    CWnd* child = FromHandlePermanent(control);
    LRESULT ignored = 0;
    if (child != nullptr && child->OnChildNotify(WM_COMMAND, wParam, lParam, &ignored)) return TRUE;
  }
  const UINT id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap == nullptr ? nullptr : map->pfnGetBaseMap()) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
      if (e->nMessage == WM_COMMAND && e->nCode == code && id >= e->nID && id <= e->nLastID) {
        e->pfn(this, wParam, lParam);
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper != nullptr) return CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

void CWnd::PostNcDestroy() {}

void CWnd::OnKillFocus(CWnd*) { Default(); }

void CWnd::OnSetFocus(CWnd*) { Default(); }

void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }

void CWnd::OnDestroy() { Default(); }

void CWnd::OnNcDestroy() {
  Default();
  Detach();
  m_pfnSuper = nullptr;
  PostNcDestroy();
}

BOOL AfxPumpMessage() {
  MSG msg{};
  if (!GetMessage(&msg, nullptr, 0, 0)) return FALSE;
  HandleOne(msg);
  DropTemporariesOfDeadWindows();
  return TRUE;
}

int LumoPumpPendingMessages() {
  int handled = 0;
  MSG msg{};
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    HandleOne(msg);
    ++handled;
  }
  DropTemporariesOfDeadWindows();
  return handled;
}
