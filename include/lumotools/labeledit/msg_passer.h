// CMsgPasser: connects one host view window with the message objects that label it. It hooks the
// view's procedure to see key presses and clicks, keeps the objects in a tree, moves an editor from
// object to object on Tab and Enter, opens an object's editor at the label's window position
// (through the host's CCoordTranslator) and closes it, and re-places the open editor when the view
// moves (ResetMsgPos).
//
// Keys (seen while the view has the focus, or forwarded to it by the host): Tab next, Shift+Tab
// previous, Enter next, Ctrl+Enter first child, Shift+Enter parent, Escape closes without saving.
// Navigation stays on one level of the tree and wraps around. A click on a label moves the focus to
// the parent window of the controls (which closes an open editor, saving); with click-to-edit
// enabled the release then opens the clicked label's editor.
//
// One passer serves one view window; all calls come from the thread that owns it.
#ifndef LUMOTOOLS_LABELEDIT_MSG_PASSER_H_
#define LUMOTOOLS_LABELEDIT_MSG_PASSER_H_

#include <map>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/geometry/coord_translator.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/labeledit/msg_object.h"
#include "lumotools/platform/window.h"

class LUMO_EXPORT CMsgPasser {
 public:
  // A node of the object tree: children in attach order, and the object (null only at the root).
  struct Node {
    std::vector<Node> children;
    CMsgObject* object = nullptr;
  };

  CMsgPasser();
  // Copies every field and the tree. The copy hooks no window: it receives no messages, and its
  // destruction leaves the original's hook alone.
  CMsgPasser(const CMsgPasser& other);
  CMsgPasser& operator=(const CMsgPasser& other);
  // Closes an open editor with saving, unhooks the view and detaches every object.
  virtual ~CMsgPasser();

  // Closes an open editor with saving, unhooks the current view, hooks hView when it is a window
  // (unless another passer hooks it already) and keeps hParent as the parent of the controls.
  // Listen(null, null) detaches the passer from its window. Returns 1.
  virtual int Listen(HWND hView, HWND hParent);
  // The host's translator, not owned; it must be set before any click or editor opening.
  virtual void SetTranslator(CCoordTranslator* pTranslator);
  // Non-zero when the passer consumed the key (see the class comment); 0 when no object is
  // attached or the key is not one of its keys.
  virtual int KeyDown(int nChar, unsigned nRepCnt, unsigned nFlags);
  // Closes an open editor with saving when released where pressed; with click-to-edit, then opens
  // the editor of the label hit. Returns 0.
  virtual int LeftButtonUp(unsigned nFlags, CPoint point);
  // Remembers the point; non-zero when a label lies under it.
  virtual int LeftButtonDown(unsigned nFlags, CPoint point);
  // Returns 0.
  virtual int KillFocus();
  // Appends obj under the first node (pre-order) of pParent; under the root when pParent is null
  // or not attached. Attaching an object twice makes two nodes.
  virtual void Attach(CMsgObject* obj, CMsgObject* pParent);
  virtual void Attach(const std::vector<CMsgObject*>& objs, CMsgObject* pParent);
  // Closes obj's open editor without saving and removes every node of obj with its subtree.
  virtual void Detach(CMsgObject* obj);
  // Closes an open editor without saving and removes every node; the tab path stays.
  virtual void DetachAll();
  // Navigation; bUpdate says whether the editor being left saves its value.
  virtual void TabNext(int bUpdate);
  virtual void TabPrev(int bUpdate);
  virtual void TabParent(int bUpdate);
  virtual void TabChild(int bUpdate);
  // The parent window of the controls.
  virtual HWND GetParentWnd();
  // Places the open editor's control over its label again (after zoom, pan or rotation).
  virtual void ResetMsgPos();

  // Lets a click on a label open its editor with the given trigger (the tab path then leads to
  // the label). Off by default.
  void EnableClickToEdit(PASSER_EVENT_TRIGGER trigger);
  void DisableClickToEdit();

  // The window quad of a world quad: its four corners mapped by the translator, then sorted.
  CQuad QuadWorldToWindow(const CQuad3D& quad);
  // The procedure that hooked views get.
  static LRESULT WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

 protected:
  friend class CMsgObject;

  // obj->PreMsgObjCreate(trigger), then CreateObjWindow(obj).
  virtual int StartEdit(CMsgObject* obj, PASSER_EVENT_TRIGGER trigger);
  // Opens obj's editor over its label: creates the control and places it; obj becomes the open
  // object whether or not the control could be made. Returns obj->Create's result.
  virtual int CreateObjWindow(CMsgObject* obj);
  // Closes obj's editor when obj is given and is not the open object; otherwise closes the open
  // object's editor (if any) and forgets it. Returns 1.
  virtual int DestroyObjWindow(CMsgObject* obj, int bUpdate);

  HWND m_hWnd = nullptr;
  HWND m_hParent = nullptr;
  WNDPROC m_pfnOldProc = nullptr;
  CMsgObject* m_pCurObj = nullptr;
  Node m_root;
  // Child index at each level from the root to the object last reached by navigation.
  std::vector<int> m_vecTabPath;
  // Where navigation starts: always m_root of this passer.
  Node* m_pTabRoot = &m_root;
  CCoordTranslator* m_pTranslator = nullptr;
  CPoint m_ptDown;
  bool m_bClickToEdit = false;
  PASSER_EVENT_TRIGGER m_clickTrigger = PET_TAB;

  // Hooked window -> its passer, for every passer of the process. UI thread only.
  static std::map<HWND, CMsgPasser*> m_mapPasser;

 private:
  // True while the passer exists (objects may hold passers that are gone).
  static bool IsLive(const CMsgPasser* passer);
  static CMsgPasser* FindPasser(HWND hWnd);
  static void ListenPasser(HWND hWnd, CMsgPasser* pPasser);
  static void UnlistenPasser(HWND hWnd);

  // The object under the window point and the index path to its node; null when none.
  CMsgObject* HitTest(const CPoint& point, std::vector<int>* path);
  bool HitsObject(CMsgObject* obj, const CPoint& point) const;
  // The node the tab path leads to (rewriting the path as it goes); null for none.
  Node* ResolveTabPath();
  void OpenResolved();
  // The window quad of an object's label, as the translator's mode asks.
  CQuad WindowQuadOf(CMsgObject* obj);
};

#endif  // LUMOTOOLS_LABELEDIT_MSG_PASSER_H_
