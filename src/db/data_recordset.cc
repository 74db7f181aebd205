#include "lumotools/db/data_recordset.h"

#include <cstring>

IMPLEMENT_DYNAMIC(COleRecordset, CLumoRecordset)
IMPLEMENT_DYNAMIC(CDataRecordset, COleRecordset)

COleRecordset::COleRecordset(CDatabase* db, const CString& column)
    : CLumoRecordset(db), m_strColumn(column) {
  m_nFields = 1;
  m_nDefaultType = snapshot;
}

COleRecordset::~COleRecordset() { FreeDataObj(); }

CString COleRecordset::GetDefaultConnect() { return "ODBC;DSN=MS Access Database"; }

void COleRecordset::DoFieldExchange(CFieldExchange* fx) {
  fx->SetFieldType(CFieldExchange::outputColumn);
  RFX_LongBinary(fx, m_strColumn, m_dataObj);
}

int COleRecordset::OpenTable(unsigned int openType, const char* sql, unsigned long options) {
  return Open(openType, sql, static_cast<DWORD>(options));
}

void COleRecordset::FreeDataObj() {
  if (m_dataObj.m_hData != nullptr) m_dataObj.m_hData = GlobalFree(m_dataObj.m_hData);
  m_dataObj.m_dwDataLength = 0;
}

bool COleRecordset::WriteDataObj(const std::vector<unsigned char>& bytes) {
  FreeDataObj();
  if (bytes.empty()) return false;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes.size());
  if (block == nullptr) AfxThrowMemoryException();
  m_dataObj.m_dwDataLength = bytes.size();
  // For fixed memory the locked address and the handle are the same.
  void* address = GlobalLock(block);
  m_dataObj.m_hData = static_cast<HGLOBAL>(address);
  std::memcpy(address, bytes.data(), bytes.size());
  SetFieldDirty(&m_dataObj);
  SetFieldNull(&m_dataObj, FALSE);
  GlobalUnlock(block);
  return true;
}

unsigned int COleRecordset::ReadDataObj(std::vector<unsigned char>& bytes) const {
  if (m_dataObj.m_hData == nullptr) {
    bytes.clear();
    return 0;
  }
  const auto* data = static_cast<const unsigned char*>(GlobalLock(m_dataObj.m_hData));
  bytes.assign(data, data + m_dataObj.m_dwDataLength);
  GlobalUnlock(m_dataObj.m_hData);
  return static_cast<unsigned int>(bytes.size());
}

CDataRecordset::CDataRecordset(CDatabase* db) : COleRecordset(db, "[DataObj]") { m_nFields += 3; }

void CDataRecordset::DoFieldExchange(CFieldExchange* fx) {
  fx->SetFieldType(CFieldExchange::outputColumn);
  m_objId.DoFieldExchange(fx);
  RFX_LongBinary(fx, m_strColumn, m_dataObj);
}

int CDataRecordset::OpenForAppend(const CString& table) {
  CString sql;
  sql.Format("select * from %s where 1=0 ", table.GetString());
  return Open(dynaset, sql, none);
}
