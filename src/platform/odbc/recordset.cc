// CRecordset, CFieldExchange and the RFX functions over an ODBC statement.
//
// Each fetched record is read whole into a cache of column values, so that fields can be read by
// name in any order. Writes go through statements of their own: INSERT for AddNew, UPDATE keyed by
// the engine's row identity (selected as a hidden first column) for Edit.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "odbc_internal.h"

namespace {

enum class ValueKind {
  kNull,
  kBool,
  kUChar,
  kShort,
  kLong,
  kSingle,
  kDouble,
  kDate,
  kString,
  kBinary
};

struct ColumnValue {
  ValueKind kind = ValueKind::kNull;
  long long integer = 0;
  double real = 0.0;
  CDBTimestamp date;
  std::string bytes;  // text
  // A binary value, in global memory so that a bound field can take the block over instead of
  // copying it; movedTo is the field that took it.
  std::shared_ptr<CLongBinary> binary;
  const CLongBinary* movedTo = nullptr;
};

struct Column {
  std::string name;
  SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
};

enum class FieldKind { kLong, kInt, kDouble, kText, kLongBinary };

struct FieldRef {
  FieldKind kind;
  std::string name;  // as given to the RFX function, brackets included
  void* ptr;
  int column = -1;  // index among the visible columns, -1 when the result lacks it
  bool dirty = false;
  bool null = false;
  std::string snapshot;
};

const char kRowKeyAlias[] = "lumo_row_key";

// The ASCII letters folded to lower case; other bytes as they are.
char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Reads a character or binary column in pieces. Returns false for NULL.
bool ReadLong(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, std::string& out) {
  const size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
  // Small: some drivers pad the whole buffer of a short text.
  char buffer[256];
  SQLLEN indicator = 0;
  SQLRETURN ret = SQLGetData(stmt, column, cType, buffer, sizeof buffer, &indicator);
  out.clear();
  if (ret == SQL_NO_DATA) return true;
  lumo_odbc::Check(ret, SQL_HANDLE_STMT, stmt);
  if (indicator == SQL_NULL_DATA) return false;
  if (ret == SQL_SUCCESS) {
    out.assign(buffer, static_cast<size_t>(indicator));
    return true;
  }
  // Truncated: the first piece fills the buffer; when the driver tells the total, the rest comes
  // in one more call.
  const size_t first = sizeof buffer - terminator;
  out.assign(buffer, first);
  while (true) {
    size_t piece = sizeof buffer;
    if (indicator != SQL_NO_TOTAL && static_cast<size_t>(indicator) > first) {
      piece = static_cast<size_t>(indicator) - first + terminator;
    }
    const size_t had = out.size();
    out.resize(had + piece);
    ret = SQLGetData(stmt, column, cType, &out[had], static_cast<SQLLEN>(piece), &indicator);
    if (ret == SQL_NO_DATA) {
      out.resize(had);
      return true;
    }
    lumo_odbc::Check(ret, SQL_HANDLE_STMT, stmt);
    if (ret == SQL_SUCCESS) {
      out.resize(had + static_cast<size_t>(indicator));
      return true;
    }
    out.resize(had + piece - terminator);
  }
}

// Reads a binary column into a block of global memory: the first piece tells the length, and the
// rest comes straight into the block. Returns false for NULL.
bool ReadBinary(SQLHSTMT stmt, SQLUSMALLINT column, ColumnValue& value) {
  unsigned char first[8192];
  SQLLEN indicator = 0;
  SQLRETURN ret = SQLGetData(stmt, column, SQL_C_BINARY, first, sizeof first, &indicator);
  value.binary = std::make_shared<CLongBinary>();
  if (ret == SQL_NO_DATA) indicator = 0;
  lumo_odbc::Check(ret == SQL_NO_DATA ? SQL_SUCCESS : ret, SQL_HANDLE_STMT, stmt);
  if (indicator == SQL_NULL_DATA) return false;
  std::string rest;
  size_t total = static_cast<size_t>(indicator);
  if (ret == SQL_SUCCESS_WITH_INFO && indicator == SQL_NO_TOTAL) {
    ReadLong(stmt, column, SQL_C_BINARY, rest);  // the rest, in pieces
    total = sizeof first + rest.size();
  }
  const size_t head = ret == SQL_SUCCESS_WITH_INFO ? sizeof first : total;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, total);
  if (block == nullptr) AfxThrowMemoryException();
  value.binary->m_hData = block;
  value.binary->m_dwDataLength = total;
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  std::memcpy(bytes, first, head);
  if (!rest.empty()) {
    std::memcpy(bytes + head, rest.data(), rest.size());
  } else if (total > head) {
    SQLLEN got = 0;
    ret = SQLGetData(stmt, column, SQL_C_BINARY, bytes + head, static_cast<SQLLEN>(total - head),
                     &got);
    GlobalUnlock(block);
    lumo_odbc::Check(ret, SQL_HANDLE_STMT, stmt);
    return true;
  }
  GlobalUnlock(block);
  return true;
}

// The bytes of a binary value, wherever they are now.
const CLongBinary& BinaryOf(const ColumnValue& value) {
  return value.movedTo != nullptr ? *value.movedTo : *value.binary;
}

template <class T>
bool ReadFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, T& value) {
  SQLLEN indicator = 0;
  lumo_odbc::Check(SQLGetData(stmt, column, cType, &value, sizeof value, &indicator),
                   SQL_HANDLE_STMT, stmt);
  return indicator != SQL_NULL_DATA;
}

// Reads a number of C type T into the integer or the real member of value.
template <class T, class M>
bool ReadNumber(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, ValueKind kind,
                M ColumnValue::*member, ColumnValue& value) {
  T v = 0;
  const bool present = ReadFixed(stmt, column, cType, v);
  value.kind = kind;
  value.*member = static_cast<M>(v);
  return present;
}

// The framework's default type for a column, and the read of one value of it. A BIGINT within 32
// bits reads as a long (engines differ on the type of COUNT and other integer results); a larger
// one as its decimal text.
void ReadValue(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT sqlType, ColumnValue& value) {
  bool present = true;
  switch (sqlType) {
    case SQL_BIT:
      present = ReadNumber<unsigned char>(stmt, column, SQL_C_BIT, ValueKind::kBool,
                                          &ColumnValue::integer, value);
      value.integer = value.integer != 0;
      break;
    case SQL_TINYINT:
      present = ReadNumber<unsigned char>(stmt, column, SQL_C_UTINYINT, ValueKind::kUChar,
                                          &ColumnValue::integer, value);
      break;
    case SQL_SMALLINT:
      present = ReadNumber<SQLSMALLINT>(stmt, column, SQL_C_SSHORT, ValueKind::kShort,
                                        &ColumnValue::integer, value);
      break;
    case SQL_INTEGER:
      present = ReadNumber<SQLINTEGER>(stmt, column, SQL_C_SLONG, ValueKind::kLong,
                                       &ColumnValue::integer, value);
      break;
    case SQL_BIGINT:
      present = ReadNumber<SQLBIGINT>(stmt, column, SQL_C_SBIGINT, ValueKind::kLong,
                                      &ColumnValue::integer, value);
      if (value.integer < std::numeric_limits<int32_t>::min() ||
          value.integer > std::numeric_limits<int32_t>::max()) {
        value.kind = ValueKind::kString;
        value.bytes = std::to_string(value.integer);
      }
      break;
    case SQL_REAL:
      present = ReadNumber<SQLREAL>(stmt, column, SQL_C_FLOAT, ValueKind::kSingle,
                                    &ColumnValue::real, value);
      break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      present = ReadNumber<SQLDOUBLE>(stmt, column, SQL_C_DOUBLE, ValueKind::kDouble,
                                      &ColumnValue::real, value);
      break;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP: {
      SQL_TIMESTAMP_STRUCT v{};
      present = ReadFixed(stmt, column, SQL_C_TYPE_TIMESTAMP, v);
      value.kind = ValueKind::kDate;
      value.date.year = v.year;
      value.date.month = v.month;
      value.date.day = v.day;
      value.date.hour = v.hour;
      value.date.minute = v.minute;
      value.date.second = v.second;
      value.date.fraction = v.fraction;
      break;
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      value.kind = ValueKind::kBinary;
      present = ReadBinary(stmt, column, value);
      break;
    default:
      value.kind = ValueKind::kString;
      present = ReadLong(stmt, column, SQL_C_CHAR, value.bytes);
      break;
  }
  if (!present) value.kind = ValueKind::kNull;
}

std::string TextOf(const ColumnValue& value) {
  char buffer[64];
  switch (value.kind) {
    case ValueKind::kNull:
      return std::string();
    case ValueKind::kBool:
    case ValueKind::kUChar:
    case ValueKind::kShort:
    case ValueKind::kLong:
      return std::to_string(value.integer);
    case ValueKind::kSingle:
    case ValueKind::kDouble:
      std::snprintf(buffer, sizeof buffer, "%.15g", value.real);
      if (std::strtod(buffer, nullptr) != value.real) {
        std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
      }
      return buffer;
    case ValueKind::kDate:
      std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02u:%02u:%02u", value.date.year,
                    value.date.month, value.date.day, value.date.hour, value.date.minute,
                    value.date.second);
      return buffer;
    case ValueKind::kString:
      return value.bytes;
    case ValueKind::kBinary: {
      static const char kDigits[] = "0123456789ABCDEF";
      const CLongBinary& binary = BinaryOf(value);
      const auto* bytes = static_cast<const unsigned char*>(GlobalLock(binary.m_hData));
      std::string hex;
      hex.reserve(binary.m_dwDataLength * 2);
      for (size_t i = 0; i < binary.m_dwDataLength; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
      }
      GlobalUnlock(binary.m_hData);
      return hex;
    }
  }
  return std::string();
}

// Sets text to the value's text form; a text value is copied straight into text's storage.
void AssignText(const ColumnValue& value, CString& text) {
  if (value.kind != ValueKind::kString) {
    text = CString(TextOf(value));
    return;
  }
  text.Empty();
  text.Append(value.bytes.data(), static_cast<int>(value.bytes.size()));
}

long long IntegerOf(const ColumnValue& value) {
  switch (value.kind) {
    case ValueKind::kSingle:
    case ValueKind::kDouble:
      return static_cast<long long>(value.real);
    case ValueKind::kString:
      return std::strtoll(value.bytes.c_str(), nullptr, 10);
    case ValueKind::kNull:
    case ValueKind::kDate:
    case ValueKind::kBinary:
      return 0;
    default:
      return value.integer;
  }
}

double RealOf(const ColumnValue& value) {
  switch (value.kind) {
    case ValueKind::kSingle:
    case ValueKind::kDouble:
      return value.real;
    case ValueKind::kString:
      return std::strtod(value.bytes.c_str(), nullptr);
    default:
      return static_cast<double>(IntegerOf(value));
  }
}

// Replaces target's block with a copy of source's bytes.
void CopyBinary(CLongBinary& target, const CLongBinary& source) {
  if (target.m_hData != nullptr) target.m_hData = GlobalFree(target.m_hData);
  target.m_dwDataLength = 0;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, source.m_dwDataLength);
  if (block == nullptr) AfxThrowMemoryException();
  if (source.m_dwDataLength != 0) {
    std::memcpy(GlobalLock(block), GlobalLock(source.m_hData), source.m_dwDataLength);
    GlobalUnlock(source.m_hData);
    GlobalUnlock(block);
  }
  target.m_hData = block;
  target.m_dwDataLength = source.m_dwDataLength;
}

void ToVariant(const ColumnValue& value, CDBVariant& var) {
  var.Clear();
  switch (value.kind) {
    case ValueKind::kNull:
      break;
    case ValueKind::kBool:
      var.m_dwType = DBVT_BOOL;
      var.m_boolVal = value.integer != 0 ? TRUE : FALSE;
      break;
    case ValueKind::kUChar:
      var.m_dwType = DBVT_UCHAR;
      var.m_chVal = static_cast<unsigned char>(value.integer);
      break;
    case ValueKind::kShort:
      var.m_dwType = DBVT_SHORT;
      var.m_iVal = static_cast<short>(value.integer);
      break;
    case ValueKind::kLong:
      var.m_dwType = DBVT_LONG;
      var.m_lVal = static_cast<long>(value.integer);
      break;
    case ValueKind::kSingle:
      var.m_dwType = DBVT_SINGLE;
      var.m_fltVal = static_cast<float>(value.real);
      break;
    case ValueKind::kDouble:
      var.m_dwType = DBVT_DOUBLE;
      var.m_dblVal = value.real;
      break;
    case ValueKind::kDate:
      var.m_pdate = new CDBTimestamp(value.date);
      var.m_dwType = DBVT_DATE;
      break;
    case ValueKind::kString:
      var.m_pstring = new CString(value.bytes.data(), static_cast<int>(value.bytes.size()));
      var.m_dwType = DBVT_STRING;
      break;
    case ValueKind::kBinary: {
      auto binary = std::make_unique<CLongBinary>();
      CopyBinary(*binary, BinaryOf(value));
      var.m_pbinary = binary.release();
      var.m_dwType = DBVT_BINARY;
      break;
    }
  }
}

// The bytes a field's value had when editing started, to find out later whether it changed.
std::string SnapshotOf(const FieldRef& field) {
  switch (field.kind) {
    case FieldKind::kLong:
      return std::string(static_cast<const char*>(field.ptr), sizeof(long));
    case FieldKind::kInt:
      return std::string(static_cast<const char*>(field.ptr), sizeof(int));
    case FieldKind::kDouble:
      return std::string(static_cast<const char*>(field.ptr), sizeof(double));
    case FieldKind::kText:
      return static_cast<const CString*>(field.ptr)->str();
    case FieldKind::kLongBinary:
      return std::string();  // long binaries are written only when marked dirty
  }
  return std::string();
}

void LoadField(FieldRef& field, ColumnValue* value) {
  static const ColumnValue kNullValue;
  const ColumnValue& v = value != nullptr ? *value : kNullValue;
  field.null = v.kind == ValueKind::kNull;
  switch (field.kind) {
    case FieldKind::kLong:
      *static_cast<long*>(field.ptr) = static_cast<long>(IntegerOf(v));
      break;
    case FieldKind::kInt:
      *static_cast<int*>(field.ptr) = static_cast<int>(IntegerOf(v));
      break;
    case FieldKind::kDouble:
      *static_cast<double*>(field.ptr) = RealOf(v);
      break;
    case FieldKind::kText:
      AssignText(v, *static_cast<CString*>(field.ptr));
      break;
    case FieldKind::kLongBinary: {
      auto& binary = *static_cast<CLongBinary*>(field.ptr);
      if (!field.null && v.kind != ValueKind::kBinary) {
        // A column of another type: its text form, as bytes.
        const std::string text = TextOf(v);
        CLongBinary bytes;
        bytes.m_hData = GlobalAlloc(GMEM_MOVEABLE, text.size());
        if (bytes.m_hData == nullptr) AfxThrowMemoryException();
        bytes.m_dwDataLength = text.size();
        if (!text.empty()) std::memcpy(GlobalLock(bytes.m_hData), text.data(), text.size());
        GlobalUnlock(bytes.m_hData);
        CopyBinary(binary, bytes);
      } else if (field.null || value->movedTo != nullptr) {
        if (binary.m_hData != nullptr) binary.m_hData = GlobalFree(binary.m_hData);
        binary.m_dwDataLength = 0;
        if (!field.null) CopyBinary(binary, BinaryOf(v));
      } else {
        // The field takes the block over; the record's value now lives in the field.
        if (binary.m_hData != nullptr) GlobalFree(binary.m_hData);
        binary.m_hData = value->binary->m_hData;
        binary.m_dwDataLength = value->binary->m_dwDataLength;
        value->binary->m_hData = nullptr;
        value->binary->m_dwDataLength = 0;
        value->movedTo = &binary;
      }
      break;
    }
  }
}

// Parameter storage for one write statement; must outlive its execution.
struct Parameter {
  SQLINTEGER integer = 0;
  double real = 0.0;
  std::string text;
  SQLLEN indicator = 0;
};

}  // namespace

struct CFieldExchange::Fields {
  std::vector<FieldRef> list;
};

namespace {

void Record(CFieldExchange* pFX, FieldKind kind, LPCTSTR name, void* ptr) {
  if (pFX == nullptr || pFX->m_pFields == nullptr) return;
  if (pFX->m_nFieldType != CFieldExchange::outputColumn) return;
  FieldRef field{kind, name == nullptr ? "" : name, ptr, -1, false, false, std::string()};
  pFX->m_pFields->list.push_back(std::move(field));
}

}  // namespace

void RFX_Long(CFieldExchange* pFX, LPCTSTR szName, long& value) {
  Record(pFX, FieldKind::kLong, szName, &value);
}
void RFX_Int(CFieldExchange* pFX, LPCTSTR szName, int& value) {
  Record(pFX, FieldKind::kInt, szName, &value);
}
void RFX_Double(CFieldExchange* pFX, LPCTSTR szName, double& value) {
  Record(pFX, FieldKind::kDouble, szName, &value);
}
void RFX_Text(CFieldExchange* pFX, LPCTSTR szName, CString& value) {
  Record(pFX, FieldKind::kText, szName, &value);
}
void RFX_LongBinary(CFieldExchange* pFX, LPCTSTR szName, CLongBinary& value) {
  Record(pFX, FieldKind::kLongBinary, szName, &value);
}

struct CRecordset::Impl {
  enum class Mode { kNone, kEdit, kAdd };

  std::unique_ptr<CDatabase> ownDatabase;
  std::unique_ptr<lumo_odbc::Statement> stmt;
  CDatabase* database = nullptr;  // the connection the recordset is registered with
  bool open = false;
  bool bof = true;
  bool eof = true;
  UINT openType = snapshot;
  std::string sql;
  std::string table;
  bool updatable = false;
  bool hasRowKey = false;
  std::string rowKey;
  std::vector<Column> columns;  // without the hidden row key
  std::vector<ColumnValue> row;
  CFieldExchange::Fields fields;
  Mode mode = Mode::kNone;

  int FindColumn(const char* name) const {
    // The name without brackets, compared with the ASCII letters folded.
    size_t length = std::strlen(name);
    if (length >= 2 && name[0] == '[' && name[length - 1] == ']') {
      ++name;
      length -= 2;
    }
    for (size_t i = 0; i < columns.size(); ++i) {
      const std::string& column = columns[i].name;
      if (column.size() != length) continue;
      size_t k = 0;
      while (k < length && FoldAscii(column[k]) == FoldAscii(name[k])) ++k;
      if (k == length) return static_cast<int>(i);
    }
    return -1;
  }

  FieldRef* FindField(void* ptr) {
    for (FieldRef& f : fields.list) {
      if (f.ptr == ptr) return &f;
    }
    return nullptr;
  }

  void RequireRecord() const {
    if (!open || eof) {
      AfxThrowDBException(AFX_SQL_ERROR_NO_CURRENT_RECORD, "the recordset has no current record");
    }
  }

  void Fetch() {
    const SQLRETURN ret = SQLFetch(stmt->get());
    if (ret == SQL_NO_DATA) {
      eof = true;
      row.clear();
      return;
    }
    stmt->Check(ret);
    const SQLUSMALLINT first = hasRowKey ? 2 : 1;
    if (hasRowKey) {
      ColumnValue key;
      ReadValue(stmt->get(), 1, SQL_VARCHAR, key);
      rowKey = key.bytes;
    }
    row.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      ColumnValue& value = row[i];  // reused from the last record, its text capacity kept
      value.kind = ValueKind::kNull;
      value.bytes.clear();
      value.binary.reset();
      value.movedTo = nullptr;
      ReadValue(stmt->get(), static_cast<SQLUSMALLINT>(first + i), columns[i].sqlType, row[i]);
    }
    for (FieldRef& f : fields.list) {
      LoadField(f, f.column >= 0 ? &row[static_cast<size_t>(f.column)] : nullptr);
      f.dirty = false;
    }
  }

  const ColumnValue& ValueAt(int index) const {
    RequireRecord();
    if (index < 0 || static_cast<size_t>(index) >= row.size()) {
      CString message;
      message.Format("the recordset has no column %d", index);
      AfxThrowDBException(AFX_SQL_ERROR_FIELD_NOT_FOUND, message);
    }
    return row[static_cast<size_t>(index)];
  }

  const ColumnValue& ValueNamed(LPCTSTR name) const {
    RequireRecord();
    const int index = FindColumn(name == nullptr ? "" : name);
    if (index < 0) {
      AfxThrowDBException(AFX_SQL_ERROR_FIELD_NOT_FOUND,
                          CString("the recordset has no field named ") + name);
    }
    return row[static_cast<size_t>(index)];
  }
};

IMPLEMENT_DYNAMIC(CRecordset, CObject)

CRecordset::CRecordset(CDatabase* pDatabase) : m_pDatabase(pDatabase), m_impl(new Impl) {}

CRecordset::~CRecordset() { Close(); }

BOOL CRecordset::Open(UINT nOpenType, LPCTSTR lpszSQL, DWORD dwOptions) {
  if (m_impl->open) {
    AfxThrowDBException(AFX_SQL_ERROR_ILLEGAL_MODE, "the recordset is already open");
  }
  if (m_pDatabase == nullptr) {
    m_impl->ownDatabase = std::make_unique<CDatabase>();
    m_impl->ownDatabase->OpenEx(GetDefaultConnect());
    m_pDatabase = m_impl->ownDatabase.get();
  }
  CDatabase::Impl& db = *m_pDatabase->GetImpl();
  if (!db.open) AfxThrowDBException(AFX_SQL_ERROR_ILLEGAL_MODE, "the database is not open");

  Impl fresh;
  fresh.openType = nOpenType == AFX_DB_USE_DEFAULT_TYPE ? m_nDefaultType : nOpenType;
  std::string sql = lpszSQL != nullptr ? lpszSQL : GetDefaultSQL().str();
  if (!m_strFilter.IsEmpty()) {
    sql += Lower(sql).find(" where ") != std::string::npos ? " AND (" + m_strFilter.str() + ")"
                                                           : " WHERE " + m_strFilter.str();
  }
  if (!m_strSort.IsEmpty()) sql += " ORDER BY " + m_strSort.str();
  sql = lumo_odbc::TranslateAccessSql(db.engine, sql);

  CFieldExchange fx;
  fx.m_prs = this;
  fx.m_pFields = &fresh.fields;
  DoFieldExchange(&fx);

  fresh.table = lumo_odbc::SingleTableOf(sql);
  const std::string rowKey = lumo_odbc::RowKeyExpression(db.engine);
  const size_t select = Lower(sql).find("select");
  fresh.updatable = fresh.openType != forwardOnly && !(dwOptions & readOnly) &&
                    !fresh.table.empty() && !rowKey.empty() && m_pDatabase->CanUpdate() &&
                    Lower(sql).compare(select + 6, 10, " distinct ") != 0;
  std::string text = sql;
  if (fresh.updatable) {
    text = sql.substr(0, select) + "select " + rowKey + " AS " + kRowKeyAlias + "," +
           sql.substr(select + 6);
    fresh.hasRowKey = true;
  }
  fresh.sql = sql;

  fresh.stmt = std::make_unique<lumo_odbc::Statement>(db.dbc, &db.lost);
  db.ApplyTimeout(fresh.stmt->get());
  fresh.stmt->ExecDirect(text);

  SQLSMALLINT count = 0;
  lumo_odbc::Check(SQLNumResultCols(fresh.stmt->get(), &count), SQL_HANDLE_STMT, fresh.stmt->get());
  for (SQLSMALLINT i = fresh.hasRowKey ? 2 : 1; i <= count; ++i) {
    SQLCHAR name[256] = {0};
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    lumo_odbc::Check(SQLDescribeCol(fresh.stmt->get(), static_cast<SQLUSMALLINT>(i), name,
                                    sizeof name, &nameLength, &type, &size, &digits, &nullable),
                     SQL_HANDLE_STMT, fresh.stmt->get());
    fresh.columns.push_back(Column{reinterpret_cast<const char*>(name), type});
  }
  int position = 0;
  for (FieldRef& f : fresh.fields.list) {
    f.column = fresh.FindColumn(f.name.c_str());
    if (f.column < 0 && position < static_cast<int>(fresh.columns.size())) f.column = position;
    ++position;
  }

  fresh.database = m_pDatabase;
  fresh.ownDatabase = std::move(m_impl->ownDatabase);
  fresh.open = true;
  fresh.eof = false;
  *m_impl = std::move(fresh);
  db.recordsets.push_back(this);
  try {
    m_impl->Fetch();
  } catch (...) {
    Close();
    throw;
  }
  m_impl->bof = m_impl->eof;
  return TRUE;
}

void CRecordset::Close() {
  if (!m_impl->open) return;
  m_impl->database->GetImpl()->Unregister(this);
  m_impl->stmt.reset();
  m_impl->open = false;
  m_impl->bof = m_impl->eof = true;
  m_impl->columns.clear();
  m_impl->row.clear();
  m_impl->fields.list.clear();
  m_impl->mode = Impl::Mode::kNone;
}

BOOL CRecordset::IsOpen() const { return m_impl->open ? TRUE : FALSE; }
BOOL CRecordset::IsBOF() const { return m_impl->bof ? TRUE : FALSE; }
BOOL CRecordset::IsEOF() const { return m_impl->eof ? TRUE : FALSE; }

void CRecordset::MoveNext() {
  m_impl->RequireRecord();
  m_impl->mode = Impl::Mode::kNone;
  m_impl->Fetch();
  m_impl->bof = false;
}

short CRecordset::GetODBCFieldCount() const { return static_cast<short>(m_impl->columns.size()); }

short CRecordset::GetFieldIndexByName(LPCTSTR lpszName) const {
  return static_cast<short>(m_impl->FindColumn(lpszName == nullptr ? "" : lpszName));
}

CString CRecordset::GetFieldName(short nIndex) const {
  if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_impl->columns.size()) return CString();
  return CString(m_impl->columns[static_cast<size_t>(nIndex)].name);
}

void CRecordset::GetFieldValue(LPCTSTR lpszName, CDBVariant& varValue, short) {
  ToVariant(m_impl->ValueNamed(lpszName), varValue);
}

void CRecordset::GetFieldValue(short nIndex, CDBVariant& varValue, short) {
  ToVariant(m_impl->ValueAt(nIndex), varValue);
}

void CRecordset::GetFieldValue(LPCTSTR lpszName, CString& strValue) {
  AssignText(m_impl->ValueNamed(lpszName), strValue);
}

void CRecordset::GetFieldValue(short nIndex, CString& strValue) {
  AssignText(m_impl->ValueAt(nIndex), strValue);
}

BOOL CRecordset::CanUpdate() const { return m_impl->open && m_impl->updatable ? TRUE : FALSE; }

BOOL CRecordset::CanAppend() const { return CanUpdate(); }

void CRecordset::Edit() {
  if (!CanUpdate()) {
    AfxThrowDBException(AFX_SQL_ERROR_RECORDSET_READONLY, "the recordset cannot be updated");
  }
  m_impl->RequireRecord();
  for (FieldRef& f : m_impl->fields.list) {
    f.snapshot = SnapshotOf(f);
    f.dirty = false;
  }
  m_impl->mode = Impl::Mode::kEdit;
}

void CRecordset::AddNew() {
  if (!CanAppend()) {
    AfxThrowDBException(AFX_SQL_ERROR_RECORDSET_READONLY, "the recordset cannot be appended to");
  }
  for (FieldRef& f : m_impl->fields.list) {
    if (f.kind != FieldKind::kLongBinary) LoadField(f, nullptr);
    f.null = true;
    f.dirty = false;
    f.snapshot = SnapshotOf(f);
  }
  m_impl->mode = Impl::Mode::kAdd;
}

void CRecordset::CancelUpdate() { m_impl->mode = Impl::Mode::kNone; }

BOOL CRecordset::Update() {
  Impl& impl = *m_impl;
  if (impl.mode == Impl::Mode::kNone) {
    AfxThrowDBException(AFX_SQL_ERROR_ILLEGAL_MODE, "Update without Edit or AddNew");
  }
  const bool adding = impl.mode == Impl::Mode::kAdd;
  std::vector<FieldRef*> changed;
  for (FieldRef& f : impl.fields.list) {
    if (!f.dirty && f.kind != FieldKind::kLongBinary && SnapshotOf(f) != f.snapshot) {
      f.dirty = true;
      f.null = false;
    }
    if (f.dirty) changed.push_back(&f);
  }
  impl.mode = Impl::Mode::kNone;
  if (changed.empty()) return FALSE;

  CDatabase::Impl& db = *impl.database->GetImpl();
  std::string text;
  if (adding) {
    std::string names, marks;
    for (const FieldRef* f : changed) {
      names += (names.empty() ? "" : ",") + f->name;
      marks += marks.empty() ? "?" : ",?";
    }
    text = "INSERT INTO " + impl.table + " (" + names + ") VALUES (" + marks + ")";
  } else {
    std::string sets;
    for (const FieldRef* f : changed) sets += (sets.empty() ? "" : ",") + f->name + "=?";
    text = "UPDATE " + impl.table + " SET " + sets + " WHERE " +
           lumo_odbc::RowKeyCondition(db.engine, impl.rowKey);
    // PostgreSQL gives an updated record a new row identity.
    if (db.engine == lumo_odbc::Engine::kPostgres) text += " RETURNING ctid";
  }
  text = lumo_odbc::TranslateAccessSql(db.engine, text);

  lumo_odbc::Statement stmt(db.dbc, &db.lost);
  db.ApplyTimeout(stmt.get());
  std::vector<Parameter> params(changed.size());
  std::vector<HGLOBAL> locked;
  struct Unlocker {
    std::vector<HGLOBAL>& blocks;
    ~Unlocker() {
      for (HGLOBAL h : blocks) GlobalUnlock(h);
    }
  } unlocker{locked};
  for (size_t i = 0; i < changed.size(); ++i) {
    const FieldRef& f = *changed[i];
    Parameter& p = params[i];
    const auto number = static_cast<SQLUSMALLINT>(i + 1);
    SQLRETURN ret = SQL_SUCCESS;
    switch (f.kind) {
      case FieldKind::kLong:
      case FieldKind::kInt:
        p.integer = f.kind == FieldKind::kLong
                        ? static_cast<SQLINTEGER>(*static_cast<const long*>(f.ptr))
                        : static_cast<SQLINTEGER>(*static_cast<const int*>(f.ptr));
        p.indicator = f.null ? SQL_NULL_DATA : 0;
        ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                               &p.integer, 0, &p.indicator);
        break;
      case FieldKind::kDouble:
        p.real = *static_cast<const double*>(f.ptr);
        p.indicator = f.null ? SQL_NULL_DATA : 0;
        ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                               &p.real, 0, &p.indicator);
        break;
      case FieldKind::kText:
        p.text = static_cast<const CString*>(f.ptr)->str();
        p.indicator = f.null ? SQL_NULL_DATA : static_cast<SQLLEN>(p.text.size());
        ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                               std::max<SQLULEN>(p.text.size(), 1), 0, &p.text[0],
                               static_cast<SQLLEN>(p.text.size()), &p.indicator);
        break;
      case FieldKind::kLongBinary: {
        const auto& binary = *static_cast<const CLongBinary*>(f.ptr);
        void* bytes = nullptr;
        if (binary.m_hData != nullptr && !f.null) {
          bytes = GlobalLock(binary.m_hData);
          locked.push_back(binary.m_hData);
          p.indicator = static_cast<SQLLEN>(binary.m_dwDataLength);
        } else {
          p.indicator = SQL_NULL_DATA;
        }
        // The PostgreSQL driver takes LONGVARBINARY for a large object; bytea is VARBINARY.
        const SQLSMALLINT sqlType =
            db.engine == lumo_odbc::Engine::kPostgres ? SQL_VARBINARY : SQL_LONGVARBINARY;
        ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_BINARY, sqlType,
                               std::max<SQLULEN>(binary.m_dwDataLength, 1), 0, bytes,
                               static_cast<SQLLEN>(binary.m_dwDataLength), &p.indicator);
        break;
      }
    }
    stmt.Check(ret);
  }
  const SQLRETURN ret = stmt.ExecDirect(text);
  SQLLEN rows = 0;
  if (ret != SQL_NO_DATA) SQLRowCount(stmt.get(), &rows);
  if (rows <= 0) {
    AfxThrowDBException(AFX_SQL_ERROR_NO_ROWS_AFFECTED,
                        CString(("no record was changed by: " + text).c_str()));
  }
  if (!adding && db.engine == lumo_odbc::Engine::kPostgres && SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
    ColumnValue key;
    ReadValue(stmt.get(), 1, SQL_VARCHAR, key);
    impl.rowKey = key.bytes;
  }
  for (FieldRef* f : changed) f->dirty = false;
  return TRUE;
}

void CRecordset::SetFieldDirty(void* pv, BOOL bDirty) {
  for (FieldRef& f : m_impl->fields.list) {
    if (pv == nullptr || f.ptr == pv) f.dirty = bDirty != FALSE;
  }
}

void CRecordset::SetFieldNull(void* pv, BOOL bNull) {
  for (FieldRef& f : m_impl->fields.list) {
    if (pv == nullptr || f.ptr == pv) {
      f.null = bNull != FALSE;
      if (f.null) f.dirty = true;
    }
  }
}

BOOL CRecordset::IsFieldNull(void* pv) {
  const FieldRef* f = m_impl->FindField(pv);
  return f != nullptr && f->null ? TRUE : FALSE;
}

CString CRecordset::GetRowCondition() const {
  const Impl& impl = *m_impl;
  if (!impl.open || impl.eof || !impl.hasRowKey) return CString();
  return CString(lumo_odbc::RowKeyCondition(impl.database->GetImpl()->engine, impl.rowKey).c_str());
}

CString CRecordset::GetSQL() const { return CString(m_impl->sql); }

CString CRecordset::GetTableName() const { return CString(m_impl->table); }

CString CRecordset::GetDefaultConnect() { return "ODBC;"; }

CString CRecordset::GetDefaultSQL() { return CString(); }

void CRecordset::DoFieldExchange(CFieldExchange*) {}
