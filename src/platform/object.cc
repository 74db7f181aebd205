#include "lumotools/platform/object.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "lumotools/platform/file.h"

CObject::~CObject() = default;

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext&) const {}

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == pBaseClass) return true;
  }
  return false;
}

CDumpContext::CDumpContext(CFile* pFile) : m_pFile(pFile) {}

void CDumpContext::Output(const char* text) {
  if (m_pFile != nullptr) {
    m_pFile->Write(text, static_cast<UINT>(std::strlen(text)));
  } else {
    std::fputs(text, stderr);
  }
}

CDumpContext& CDumpContext::operator<<(const char* lpsz) {
  Output(lpsz != nullptr ? lpsz : "(NULL)");
  return *this;
}

CDumpContext& CDumpContext::operator<<(const void* lp) {
  char text[32];
  std::snprintf(text, sizeof text, "$%" PRIXPTR, reinterpret_cast<std::uintptr_t>(lp));
  Output(text);
  return *this;
}

CDumpContext& CDumpContext::operator<<(int n) { return *this << static_cast<long long>(n); }
CDumpContext& CDumpContext::operator<<(unsigned int n) {
  return *this << static_cast<unsigned long long>(n);
}
CDumpContext& CDumpContext::operator<<(long n) { return *this << static_cast<long long>(n); }
CDumpContext& CDumpContext::operator<<(unsigned long n) {
  return *this << static_cast<unsigned long long>(n);
}

CDumpContext& CDumpContext::operator<<(long long n) {
  char text[24];
  std::snprintf(text, sizeof text, "%lld", n);
  Output(text);
  return *this;
}

CDumpContext& CDumpContext::operator<<(unsigned long long n) {
  char text[24];
  std::snprintf(text, sizeof text, "%llu", n);
  Output(text);
  return *this;
}

CDumpContext& CDumpContext::operator<<(double d) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", d);
  Output(text);
  return *this;
}

CDumpContext& CDumpContext::operator<<(const CObject* pOb) {
  if (pOb == nullptr) {
    Output("NULL");
  } else if (m_nDepth > 0) {
    pOb->Dump(*this);
  } else {
    *this << "a " << pOb->GetRuntimeClass()->m_lpszClassName << " at "
          << static_cast<const void*>(pOb);
  }
  return *this;
}

void CDumpContext::Flush() {
  if (m_pFile != nullptr) {
    m_pFile->Flush();
  } else {
    std::fflush(stderr);
  }
}
