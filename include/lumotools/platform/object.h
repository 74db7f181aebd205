// CObject: the framework's common base of exceptions, files and serializable objects.
#ifndef LUMOTOOLS_PLATFORM_OBJECT_H_
#define LUMOTOOLS_PLATFORM_OBJECT_H_

#include "lumotools/export.h"

class CArchive;

class LUMO_PLATFORM_EXPORT CObject {
 public:
  virtual ~CObject();
  // Writes or reads the object's state; the base class has none.
  virtual void Serialize(CArchive& ar);

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#endif  // LUMOTOOLS_PLATFORM_OBJECT_H_
