#include "lumotools/platform/object.h"

CObject::~CObject() = default;

void CObject::Serialize(CArchive&) {}
