// CMsgObject: one editable label of a host view (its world rectangle, its text, and the life of the
// edit control opened over it), and CMsgObjectListener, told when a label's value changes.
//
// The passer (msg_passer.h) opens and closes an object's editor; the object creates and destroys
// the control through virtual operations that the host's subclasses implement (with the controls
// of quad_edit.h and msg_combo_edit.h) and reports a changed value to its edit functor, its
// listeners and, with the notification messages below, to the parent window of the control.
// Everything runs on the thread that owns the view and the control windows.
#ifndef LUMOTOOLS_LABELEDIT_MSG_OBJECT_H_
#define LUMOTOOLS_LABELEDIT_MSG_OBJECT_H_

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include <loki/Functor.h>
#include <loki/Typelist.h>

#include "lumotools/export.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/geometry/text_rect.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/wnd.h"

class CMsgPasser;

// Why an editor is about to open. The library passes PET_TAB for keyboard navigation; other values
// are the host's.
enum PASSER_EVENT_TRIGGER : std::uint32_t { PET_TAB = 2 };

// Sent to the parent window of the control (wParam, lParam as noted).
constexpr UINT WM_MSGOBJ_CREATED = 11110;       // the control's window handle, 0
constexpr UINT WM_MSGOBJ_DESTROYED = 11111;     // 0, 0
constexpr UINT WM_MSGOBJ_VALUECHANGED = 11113;  // 0, 0
constexpr UINT WM_MSGOBJ_KILLFOCUS = 11114;     // the CWnd* gaining the focus (may be null), 0

struct LUMO_EXPORT CMsgObjectListener {
  CMsgObjectListener() = default;
  // Copying copies nothing: a listener is identified by its address.
  CMsgObjectListener(const CMsgObjectListener&) {}
  CMsgObjectListener& operator=(const CMsgObjectListener&) { return *this; }
  virtual ~CMsgObjectListener();

  // A changed value was reported by the object with this user data.
  virtual void OnMsgObjValueChanged(DWORD dwUserData) = 0;
  // The editor of the object with this user data is about to open. Does nothing by default.
  virtual void PreMsgObjCreate(DWORD dwUserData, PASSER_EVENT_TRIGGER trigger);
};

class LUMO_EXPORT CMsgObject {
 public:
  // Called with the new text when a changed value is reported; its result is not used.
  using EditFunctor = Loki::Functor<DWORD, LOKI_TYPELIST_1(const char*)>;

  CMsgObject();
  // Copy every field, the passer pointers and set included (the passers do not learn of the
  // copy), and move the edit functor: the source is left without one.
  CMsgObject(CMsgObject& other);
  CMsgObject& operator=(CMsgObject& other);
  // Detaches the object from every passer that has it (an open editor closes without saving).
  // The control is destroyed through DestroyControl only by the subclass's own destructor: by the
  // time this one runs, the subclass's operations are gone.
  virtual ~CMsgObject();

  // Reads the control's text into the object (SetValue); non-zero when the value changed. Called
  // with 0 when an editor closes with saving. Returns 0 by default.
  virtual int UpdateCtrlValue(int nReserved);
  // Moves the control over the label's window quad; called after Create and on every
  // CMsgPasser::ResetMsgPos.
  virtual void PlaceControl(const CQuad& quad) = 0;
  // Creates the control window as a child of GetParentWnd(); non-zero on success. 0 by default.
  virtual int CreateControl();
  // Destroys the control window; non-zero when it did. 0 by default.
  virtual int DestroyControl();
  // The control's window; null by default.
  virtual HWND GetControlHandle();

  // Opens the editor for the passer: 0 when the passer's parent window is no window or the control
  // could not be created (nothing is sent then), else sends WM_MSGOBJ_CREATED and returns 1.
  int Create(CMsgPasser* pPasser);
  // Closes the editor: with bUpdate the control's value is read back, and a change is reported
  // (OnValueChanged). The control is destroyed (WM_MSGOBJ_DESTROYED when it was). Returns 1.
  int Destroy(int bUpdate);
  // The control lost the focus to pNewWnd: tells the parent window (WM_MSGOBJ_KILLFOCUS) and has
  // the passer close the editor with saving.
  void OnKillFocus(CWnd* pNewWnd);
  // Reports a changed value: to the edit functor, then to the listeners as they are at this moment,
  // then WM_MSGOBJ_VALUECHANGED to the parent window. Nothing at all without an edit functor.
  void OnValueChanged();
  // Calls PreMsgObjCreate on every listener, in order. A listener may add and remove listeners
  // during its call: those added are called from the next call on, and those removed before
  // their turn are not called.
  void PreMsgObjCreate(PASSER_EVENT_TRIGGER trigger);

  void SetPasser(CMsgPasser* pPasser) { m_setPasser.insert(pPasser); }
  void UnsetPasser(CMsgPasser* pPasser) { m_setPasser.erase(pPasser); }
  std::set<CMsgPasser*>& GetPasser() { return m_setPasser; }

  void SetWorldPos(const CTextRect& pos) { m_worldPos = pos; }
  const CTextRect& GetWorldPos() const { return m_worldPos; }
  void SetValue(const char* value) { m_strValue = value; }
  CString GetValue() const { return m_strValue; }
  void SetUserData(DWORD dwUserData) { m_dwUserData = dwUserData; }
  DWORD GetUserData() const { return m_dwUserData; }
  void SetTabStop(int bTabStop) { m_bTabStop = bTabStop; }
  int GetTabStop() const { return m_bTabStop; }
  CWnd* GetParentWnd() const { return m_pParentWnd; }

  // Stores a copy of the functor, then destroys the previous one.
  void SetEditFunctor(const EditFunctor& functor);
  // Listeners are not owned; they must outlive their registration.
  void AddListener(CMsgObjectListener* pListener) { m_vecListener.push_back(pListener); }
  void SetListener(const std::vector<CMsgObjectListener*>& listeners) { m_vecListener = listeners; }

 protected:
  int m_bTabStop = 1;
  // Copied with the object; not read here.
  int m_nExtra = 0;
  CTextRect m_worldPos;
  CString m_strValue;
  // The parent window of the control while an editor is open (may be a temporary object).
  CWnd* m_pParentWnd = nullptr;
  // The passer whose editor is open on this object; null when closed.
  CMsgPasser* m_pPasser = nullptr;
  // Every passer that has this object attached.
  std::set<CMsgPasser*> m_setPasser;
  std::unique_ptr<EditFunctor> m_apEditFunctor;
  std::vector<CMsgObjectListener*> m_vecListener;
  DWORD m_dwUserData = 0;
};

#endif  // LUMOTOOLS_LABELEDIT_MSG_OBJECT_H_
