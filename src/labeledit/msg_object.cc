#include "lumotools/labeledit/msg_object.h"

#include <algorithm>
#include <utility>

#include "lumotools/labeledit/msg_passer.h"

CMsgObjectListener::~CMsgObjectListener() = default;

void CMsgObjectListener::PreMsgObjCreate(DWORD, PASSER_EVENT_TRIGGER) {}

CMsgObject::CMsgObject() = default;

CMsgObject::CMsgObject(CMsgObject& other)
    : m_bTabStop(other.m_bTabStop),
      m_nExtra(other.m_nExtra),
      m_worldPos(other.m_worldPos),
      m_strValue(other.m_strValue),
      m_pParentWnd(other.m_pParentWnd),
      m_pPasser(other.m_pPasser),
      m_setPasser(other.m_setPasser),
      m_apEditFunctor(std::move(other.m_apEditFunctor)),
      m_vecListener(other.m_vecListener),
      m_dwUserData(other.m_dwUserData) {}

CMsgObject& CMsgObject::operator=(CMsgObject& other) {
  if (this == &other) return *this;
  m_bTabStop = other.m_bTabStop;
  m_nExtra = other.m_nExtra;
  m_worldPos = other.m_worldPos;
  m_strValue = other.m_strValue;
  m_pParentWnd = other.m_pParentWnd;
  m_pPasser = other.m_pPasser;
  m_setPasser = other.m_setPasser;
  m_apEditFunctor = std::move(other.m_apEditFunctor);
  m_vecListener = other.m_vecListener;
  m_dwUserData = other.m_dwUserData;
  return *this;
}

CMsgObject::~CMsgObject() {
  m_pParentWnd = nullptr;
  while (!m_setPasser.empty()) {
    CMsgPasser* passer = *m_setPasser.begin();
    // A passer that dropped this object with a subtree, or is gone, still lets go of it.
    if (CMsgPasser::IsLive(passer)) passer->Detach(this);
    m_setPasser.erase(passer);
  }
}

int CMsgObject::UpdateCtrlValue(int) { return 0; }

int CMsgObject::CreateControl() { return 0; }

int CMsgObject::DestroyControl() { return 0; }

HWND CMsgObject::GetControlHandle() { return nullptr; }

int CMsgObject::Create(CMsgPasser* pPasser) {
  HWND parent = pPasser->GetParentWnd();
  if (!IsWindow(parent)) return 0;
  m_pPasser = pPasser;
  m_pParentWnd = CWnd::FromHandle(parent);
  if (CreateControl() == 0 || m_pParentWnd == nullptr) return 0;
  m_pParentWnd->SendMessage(WM_MSGOBJ_CREATED, reinterpret_cast<WPARAM>(GetControlHandle()), 0);
  return 1;
}

int CMsgObject::Destroy(int bUpdate) {
  bool changed = false;
  if (m_pPasser != nullptr) {
    m_pPasser = nullptr;
    if (bUpdate) changed = UpdateCtrlValue(0) != 0;
  }
  if (m_pParentWnd != nullptr && DestroyControl() != 0) {
    m_pParentWnd->SendMessage(WM_MSGOBJ_DESTROYED, 0, 0);
  }
  if (changed) OnValueChanged();
  return 1;
}

void CMsgObject::OnKillFocus(CWnd* pNewWnd) {
  if (m_pParentWnd != nullptr) {
    m_pParentWnd->SendMessage(WM_MSGOBJ_KILLFOCUS, reinterpret_cast<WPARAM>(pNewWnd), 0);
  }
  if (m_pPasser != nullptr) m_pPasser->DestroyObjWindow(this, 1);
}

void CMsgObject::OnValueChanged() {
  if (!m_apEditFunctor) return;
  const std::vector<CMsgObjectListener*> listeners = m_vecListener;
  CWnd* parent = m_pParentWnd;
  m_pParentWnd = nullptr;
  (*m_apEditFunctor)(m_strValue.GetString());
  for (CMsgObjectListener* listener : listeners) listener->OnMsgObjValueChanged(m_dwUserData);
  if (parent != nullptr) parent->SendMessage(WM_MSGOBJ_VALUECHANGED, 0, 0);
}

void CMsgObject::PreMsgObjCreate(PASSER_EVENT_TRIGGER trigger) {
  // A listener may change the list from inside its call: the walk goes over a copy, and a
  // listener taken off the list before its turn (and perhaps gone) is passed over.
  const std::vector<CMsgObjectListener*> listeners = m_vecListener;
  for (CMsgObjectListener* listener : listeners) {
    if (std::find(m_vecListener.begin(), m_vecListener.end(), listener) == m_vecListener.end()) {
      continue;
    }
    listener->PreMsgObjCreate(m_dwUserData, trigger);
  }
}

void CMsgObject::SetEditFunctor(const EditFunctor& functor) {
  auto copy = std::make_unique<EditFunctor>(functor);
  m_apEditFunctor.swap(copy);
}
