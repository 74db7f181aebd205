// CObject: the framework's common base of exceptions, files and serializable objects, with the
// run-time class information that DECLARE_DYNAMIC and IMPLEMENT_DYNAMIC give a class.
#ifndef LUMOTOOLS_PLATFORM_OBJECT_H_
#define LUMOTOOLS_PLATFORM_OBJECT_H_

#include "lumotools/export.h"

class CArchive;

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

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#endif  // LUMOTOOLS_PLATFORM_OBJECT_H_
