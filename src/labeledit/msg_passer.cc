#include "lumotools/labeledit/msg_passer.h"

#include <algorithm>
#include <mutex>
#include <set>

namespace {

// Every passer in existence. Objects detached with a subtree keep the passer in their sets and may
// outlive it; they look here before calling it.
struct LivePassers {
  std::mutex mutex;
  std::set<const CMsgPasser*> passers;
};

LivePassers& Live() {
  static auto* live = new LivePassers;
  return *live;
}

void SetLive(const CMsgPasser* passer, bool live) {
  LivePassers& all = Live();
  std::lock_guard<std::mutex> lock(all.mutex);
  if (live) {
    all.passers.insert(passer);
  } else {
    all.passers.erase(passer);
  }
}

using Node = CMsgPasser::Node;

// The first node of obj, the root itself first, then its descendants in pre-order.
Node* FindNode(Node& node, CMsgObject* obj) {
  if (node.object == obj) return &node;
  for (Node& child : node.children) {
    if (Node* found = FindNode(child, obj)) return found;
  }
  return nullptr;
}

void RemoveNodesOf(Node& node, CMsgObject* obj) {
  auto& children = node.children;
  children.erase(std::remove_if(children.begin(), children.end(),
                                [obj](const Node& child) { return child.object == obj; }),
                 children.end());
  for (Node& child : children) RemoveNodesOf(child, obj);
}

void UnsetPasserBelow(Node& node, CMsgPasser* passer) {
  for (Node& child : node.children) {
    if (child.object != nullptr) child.object->UnsetPasser(passer);
    UnsetPasserBelow(child, passer);
  }
}

// Brings index into 0 ... count - 1, wrapping around.
int Wrap(int index, int count) {
  while (index < 0) index += count;
  return index % count;
}

bool IsDown(int vk) { return (GetKeyState(vk) & 0xFF00) == 0xFF00; }

}  // namespace

CMsgPasser::CMsgPasser() { SetLive(this, true); }

bool CMsgPasser::IsLive(const CMsgPasser* passer) {
  LivePassers& all = Live();
  std::lock_guard<std::mutex> lock(all.mutex);
  return all.passers.count(passer) != 0;
}

CMsgPasser::CMsgPasser(const CMsgPasser& other)
    : m_hWnd(other.m_hWnd),
      m_hParent(other.m_hParent),
      m_pfnOldProc(other.m_pfnOldProc),
      m_pCurObj(other.m_pCurObj),
      m_root(other.m_root),
      m_vecTabPath(other.m_vecTabPath),
      m_pTabRoot(&m_root),
      m_pTranslator(other.m_pTranslator),
      m_ptDown(other.m_ptDown),
      m_bClickToEdit(other.m_bClickToEdit),
      m_clickTrigger(other.m_clickTrigger) {
  SetLive(this, true);
}

CMsgPasser& CMsgPasser::operator=(const CMsgPasser& other) {
  if (this == &other) return *this;
  m_hWnd = other.m_hWnd;
  m_hParent = other.m_hParent;
  m_pfnOldProc = other.m_pfnOldProc;
  m_pCurObj = other.m_pCurObj;
  m_root = other.m_root;
  m_vecTabPath = other.m_vecTabPath;
  m_pTabRoot = &m_root;
  m_pTranslator = other.m_pTranslator;
  m_ptDown = other.m_ptDown;
  m_bClickToEdit = other.m_bClickToEdit;
  m_clickTrigger = other.m_clickTrigger;
  return *this;
}

CMsgPasser::~CMsgPasser() {
  DestroyObjWindow(nullptr, 1);
  if (FindPasser(m_hWnd) == this) UnlistenPasser(m_hWnd);
  m_hParent = nullptr;
  DetachAll();
  SetLive(this, false);
}

int CMsgPasser::Listen(HWND hView, HWND hParent) {
  DestroyObjWindow(nullptr, 1);
  if (m_hWnd != nullptr && FindPasser(m_hWnd) == this) UnlistenPasser(m_hWnd);
  if (IsWindow(hView)) ListenPasser(hView, this);
  m_hParent = hParent;
  return 1;
}

void CMsgPasser::SetTranslator(CCoordTranslator* pTranslator) { m_pTranslator = pTranslator; }

int CMsgPasser::KeyDown(int nChar, unsigned, unsigned) {
  if (m_root.children.empty()) return 0;
  switch (nChar) {
    case VK_TAB:
      if (IsDown(VK_SHIFT)) {
        TabPrev(1);
      } else {
        TabNext(1);
      }
      return 1;
    case VK_ESCAPE:
      DestroyObjWindow(nullptr, 0);
      return 1;
    case VK_RETURN:
      if (IsDown(VK_CONTROL)) {
        TabChild(1);
      } else if (IsDown(VK_SHIFT)) {
        TabParent(1);
      } else {
        TabNext(1);
      }
      return 1;
    default:
      return 0;
  }
}

int CMsgPasser::LeftButtonDown(unsigned, CPoint point) {
  m_ptDown = point;
  if (!IsWindow(m_hWnd)) return 0;
  return HitTest(point, nullptr) != nullptr ? 1 : 0;
}

int CMsgPasser::LeftButtonUp(unsigned, CPoint point) {
  if (!IsWindow(m_hWnd) || point != m_ptDown) return 0;
  std::vector<int> path;
  CMsgObject* hit = HitTest(point, &path);
  DestroyObjWindow(nullptr, 1);
  if (m_bClickToEdit && hit != nullptr) {
    m_vecTabPath = path;
    StartEdit(hit, m_clickTrigger);
  }
  return 0;
}

int CMsgPasser::KillFocus() { return 0; }

void CMsgPasser::Attach(CMsgObject* obj, CMsgObject* pParent) {
  Node* parent = FindNode(m_root, pParent);
  if (parent == nullptr) parent = &m_root;
  parent->children.push_back(Node{{}, obj});
  obj->SetPasser(this);
}

void CMsgPasser::Attach(const std::vector<CMsgObject*>& objs, CMsgObject* pParent) {
  for (CMsgObject* obj : objs) Attach(obj, pParent);
}

void CMsgPasser::Detach(CMsgObject* obj) {
  if (obj != nullptr && obj == m_pCurObj) DestroyObjWindow(obj, 0);
  obj->UnsetPasser(this);
  RemoveNodesOf(m_root, obj);
}

void CMsgPasser::DetachAll() {
  DestroyObjWindow(nullptr, 0);
  UnsetPasserBelow(m_root, this);
  m_root.children.clear();
}

CMsgPasser::Node* CMsgPasser::ResolveTabPath() {
  std::vector<int>& path = m_vecTabPath;
  if (path.empty()) return nullptr;
  Node* node = m_pTabRoot;
  Node* parent = nullptr;
  for (size_t level = 0; level < path.size(); ++level) {
    if (!node->children.empty()) {
      path[level] = Wrap(path[level], static_cast<int>(node->children.size()));
      parent = node;
      node = &node->children[static_cast<size_t>(path[level])];
      continue;
    }
    if (node == m_pTabRoot) {
      path.resize(level);
      return nullptr;
    }
    // A leaf: go down instead through the first sibling that has children.
    auto& siblings = parent->children;
    auto withChildren = std::find_if(siblings.begin(), siblings.end(),
                                     [](const Node& n) { return !n.children.empty(); });
    if (withChildren == siblings.end()) {
      path.resize(level);
      return node;
    }
    path[level - 1] = static_cast<int>(withChildren - siblings.begin());
    parent = &*withChildren;
    path[level] = Wrap(path[level], static_cast<int>(parent->children.size()));
    node = &parent->children[static_cast<size_t>(path[level])];
  }
  return node == m_pTabRoot ? nullptr : node;
}

void CMsgPasser::OpenResolved() {
  Node* node = ResolveTabPath();
  if (node != nullptr && node->object != nullptr) StartEdit(node->object, PET_TAB);
}

void CMsgPasser::TabNext(int bUpdate) {
  DestroyObjWindow(nullptr, bUpdate);
  if (!m_vecTabPath.empty()) {
    ++m_vecTabPath.back();
  } else if (!m_root.children.empty()) {
    m_vecTabPath.assign(1, 0);
  }
  OpenResolved();
}

void CMsgPasser::TabPrev(int bUpdate) {
  DestroyObjWindow(nullptr, bUpdate);
  if (!m_vecTabPath.empty()) {
    --m_vecTabPath.back();
  } else if (!m_root.children.empty()) {
    m_vecTabPath.assign(1, 0);
  }
  OpenResolved();
}

void CMsgPasser::TabParent(int bUpdate) {
  if (m_vecTabPath.size() <= 1) {
    TabPrev(bUpdate);
    return;
  }
  DestroyObjWindow(nullptr, bUpdate);
  m_vecTabPath.pop_back();
  OpenResolved();
}

void CMsgPasser::TabChild(int bUpdate) {
  DestroyObjWindow(nullptr, bUpdate);
  m_vecTabPath.push_back(0);
  OpenResolved();
}

HWND CMsgPasser::GetParentWnd() { return m_hParent; }

void CMsgPasser::ResetMsgPos() {
  if (m_pCurObj != nullptr) m_pCurObj->PlaceControl(WindowQuadOf(m_pCurObj));
}

void CMsgPasser::EnableClickToEdit(PASSER_EVENT_TRIGGER trigger) {
  m_bClickToEdit = true;
  m_clickTrigger = trigger;
}

void CMsgPasser::DisableClickToEdit() { m_bClickToEdit = false; }

int CMsgPasser::StartEdit(CMsgObject* obj, PASSER_EVENT_TRIGGER trigger) {
  obj->PreMsgObjCreate(trigger);
  return CreateObjWindow(obj);
}

CQuad CMsgPasser::WindowQuadOf(CMsgObject* obj) {
  const CTextRect& pos = obj->GetWorldPos();
  if (m_pTranslator->IsTextRotate()) return QuadWorldToWindow(pos.GetQuad3D());
  return pos.GetQuad(m_pTranslator->WorldToWindow(pos.m_ptPos),
                     m_pTranslator->GetTranslateScale(pos.m_ptPos));
}

int CMsgPasser::CreateObjWindow(CMsgObject* obj) {
  const CQuad quad = WindowQuadOf(obj);
  const int created = obj->Create(this);
  obj->PlaceControl(quad);
  m_pCurObj = obj;
  return created;
}

int CMsgPasser::DestroyObjWindow(CMsgObject* obj, int bUpdate) {
  if (obj != nullptr && obj != m_pCurObj) {
    obj->Destroy(bUpdate);
    return 1;
  }
  if (m_pCurObj == nullptr) return 1;
  m_pCurObj->Destroy(bUpdate);
  m_pCurObj = nullptr;
  return 1;
}

CQuad CMsgPasser::QuadWorldToWindow(const CQuad3D& quad) {
  return CQuad(
      m_pTranslator->WorldToWindow(quad.m_pts[0]), m_pTranslator->WorldToWindow(quad.m_pts[1]),
      m_pTranslator->WorldToWindow(quad.m_pts[2]), m_pTranslator->WorldToWindow(quad.m_pts[3]));
}

bool CMsgPasser::HitsObject(CMsgObject* obj, const CPoint& point) const {
  const CTextRect& pos = obj->GetWorldPos();
  if (m_pTranslator->IsTextRotate()) {
    return pos.GetQuad3D().RayCrossQuad(m_pTranslator->WindowToWorldLine(point), 10.0);
  }
  const CPoint origin = m_pTranslator->WorldToWindow(pos.m_ptPos);
  return pos.GetQuad(origin, m_pTranslator->GetTranslateScale(pos.m_ptPos)).PtInQuad(point);
}

CMsgObject* CMsgPasser::HitTest(const CPoint& point, std::vector<int>* path) {
  std::vector<int> trail;
  // Pre-order: a node's own object, then its subtree, before its next sibling.
  struct Search {
    const CMsgPasser& passer;
    const CPoint& point;
    std::vector<int>& trail;
    CMsgObject* Run(const Node& node) {
      for (size_t i = 0; i < node.children.size(); ++i) {
        const Node& child = node.children[i];
        trail.push_back(static_cast<int>(i));
        if (child.object != nullptr && passer.HitsObject(child.object, point)) return child.object;
        if (CMsgObject* hit = Run(child)) return hit;
        trail.pop_back();
      }
      return nullptr;
    }
  };
  CMsgObject* hit = Search{*this, point, trail}.Run(m_root);
  if (hit != nullptr && path != nullptr) *path = trail;
  return hit;
}

CMsgPasser* CMsgPasser::FindPasser(HWND hWnd) {
  auto it = m_mapPasser.find(hWnd);
  return it == m_mapPasser.end() ? nullptr : it->second;
}

void CMsgPasser::ListenPasser(HWND hWnd, CMsgPasser* pPasser) {
  if (!m_mapPasser.emplace(hWnd, pPasser).second) return;
  pPasser->m_hWnd = hWnd;
  pPasser->m_pfnOldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMsgPasser::WindowProc)));
}

void CMsgPasser::UnlistenPasser(HWND hWnd) {
  auto it = m_mapPasser.find(hWnd);
  if (it == m_mapPasser.end()) return;
  CMsgPasser* passer = it->second;
  if (IsWindow(hWnd)) {
    SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(passer->m_pfnOldProc));
  }
  passer->m_hWnd = nullptr;
  passer->m_pfnOldProc = nullptr;
  m_mapPasser.erase(it);
}

LRESULT CMsgPasser::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CMsgPasser* passer = FindPasser(hWnd);
  if (passer == nullptr) return DefWindowProc(hWnd, uMsg, wParam, lParam);
  const WNDPROC oldProc = passer->m_pfnOldProc;
  const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  switch (uMsg) {
    case WM_DESTROY:
      passer->Listen(nullptr, nullptr);
      break;
    case WM_KILLFOCUS:
      passer->KillFocus();
      break;
    case WM_NCLBUTTONDOWN:
    case WM_LBUTTONDOWN:
      if (passer->LeftButtonDown(static_cast<unsigned>(wParam), point)) {
        SetFocus(passer->GetParentWnd());
        return 0;
      }
      break;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
      if (passer->LeftButtonUp(static_cast<unsigned>(wParam), point)) return 0;
      break;
    case WM_KEYDOWN:
      if (passer->KeyDown(static_cast<int>(wParam), LOWORD(static_cast<UINT_PTR>(lParam)),
                          HIWORD(static_cast<UINT_PTR>(lParam)))) {
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProc(oldProc, hWnd, uMsg, wParam, lParam);
}
