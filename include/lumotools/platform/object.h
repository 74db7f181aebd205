// CObject: the framework's common base of exceptions, files and serializable objects, with the
// run-time class information that DECLARE_DYNAMIC and IMPLEMENT_DYNAMIC give a class, and
// CDumpContext, the text stream its diagnostic dumps are written to.
#ifndef LUMOTOOLS_PLATFORM_OBJECT_H_
#define LUMOTOOLS_PLATFORM_OBJECT_H_

#include "lumotools/export.h"

class CArchive;
class CDumpContext;
class CFile;

// What a class declared with DECLARE_DYNAMIC knows of itself: its name, size and base.
struct LUMO_PLATFORM_EXPORT CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  const CRuntimeClass* m_pBaseClass;  // null for CObject

  // True when this class is pBaseClass or derives from it.
  bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In a class body: the class's run-time class information. Pair with IMPLEMENT_DYNAMIC in one
// source file.
#define DECLARE_DYNAMIC(class_name)             \
 public:                                        \
  static const CRuntimeClass class##class_name; \
  const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                  \
  const CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), \
                                                       RUNTIME_CLASS(base_class_name)}; \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

class LUMO_PLATFORM_EXPORT CObject {
 public:
  virtual ~CObject();
  // The run-time class of the most derived class that declares one.
  virtual const CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
  }
  static const CRuntimeClass classCObject;

  // Writes or reads the object's state; the base class has none.
  virtual void Serialize(CArchive& ar);
  // Checks the object's internal consistency; a class that can check something overrides it.
  // The base class has nothing to check.
  virtual void AssertValid() const;
  // Writes a readable description of the object's state to dc; the base class writes nothing.
  virtual void Dump(CDumpContext& dc) const;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Where dumps are written: a file, or the standard error stream when there is none. Text is
// written as it comes, numbers in decimal and addresses as $ and hexadecimal digits. Used from one
// thread at a time.
class LUMO_PLATFORM_EXPORT CDumpContext {
 public:
  // Writes to pFile (not owned; it must outlive the context), or to standard error when null.
  explicit CDumpContext(CFile* pFile = nullptr);
  CDumpContext(const CDumpContext&) = delete;
  CDumpContext& operator=(const CDumpContext&) = delete;

  // How far dumps go into contained objects: 0 (the default) names an object, more dumps it.
  int GetDepth() const { return m_nDepth; }
  void SetDepth(int nNewDepth) { m_nDepth = nNewDepth; }

  CDumpContext& operator<<(const char* lpsz);  // a null pointer writes "(NULL)"
  CDumpContext& operator<<(const void* lp);
  CDumpContext& operator<<(int n);
  CDumpContext& operator<<(unsigned int n);
  CDumpContext& operator<<(long n);
  CDumpContext& operator<<(unsigned long n);
  CDumpContext& operator<<(long long n);
  CDumpContext& operator<<(unsigned long long n);
  CDumpContext& operator<<(double d);
  // At depth 0 "a <class name> at $<address>", deeper the object's own Dump; "NULL" for null.
  CDumpContext& operator<<(const CObject* pOb);
  CDumpContext& operator<<(const CObject& ob) { return *this << &ob; }

  // Writes what is pending to the file (when there is one).
  void Flush();

 private:
  void Output(const char* text);

  CFile* m_pFile;
  int m_nDepth = 0;
};

#endif  // LUMOTOOLS_PLATFORM_OBJECT_H_
