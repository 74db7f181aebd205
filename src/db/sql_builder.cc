#include "lumotools/db/sql_builder.h"

#include "lumotools/db/data_recordset.h"
#include "lumotools/formula/number_text.h"

namespace {

CString Joined(const std::vector<CString>& parts, const char* separator) {
  CString text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += separator;
    text += parts[i];
  }
  return text;
}

}  // namespace

CSqlStrHelper::~CSqlStrHelper() = default;

void CSqlStrHelper::AddFieldValue(const CString& name, int value) {
  CString text;
  text.Format("%d", value);
  m_values.emplace_back(name, text);
}

void CSqlStrHelper::AddFieldValue(const CString& name, long value) {
  AddFieldValue(name, static_cast<int>(value));
}

void CSqlStrHelper::AddFieldValue(const CString& name, double value) {
  m_values.emplace_back(name, FormatNumberText(value));
}

void CSqlStrHelper::AddFieldValue(const CString& name, const CString& value) {
  m_values.emplace_back(name, "'" + value + "'");
}

void CSqlStrHelper::AddFieldValue(const CString& name, std::vector<unsigned char>& value) {
  m_binaries.emplace_back(name, value);
}

bool CSqlStrHelper::HasLongBinaries() const {
  for (const auto& binary : m_binaries) {
    if (!binary.second.empty()) return true;
  }
  return false;
}

void CSqlStrHelper::WriteLongBinaries(CDatabase* db, const CString& table,
                                      const CString& condition) const {
  for (const auto& binary : m_binaries) {
    if (binary.second.empty()) continue;
    CString sql;
    sql.Format("select %s from %s", binary.first.GetString(), table.GetString());
    COleRecordset rs(db, binary.first);
    rs.m_strFilter = condition;
    if (!rs.OpenTable(CRecordset::dynaset, sql, CRecordset::none) || rs.IsEOF()) continue;
    if (!rs.CanUpdate()) return;
    rs.Edit();
    rs.WriteDataObj(binary.second);
    rs.Update();
    rs.Close();
  }
}

CString CSqlInsert::MakeInsertSQL(const CString& table) const {
  std::vector<CString> names, values;
  for (const auto& field : m_values) {
    names.push_back(field.first);
    values.push_back(field.second);
  }
  CString sql;
  sql.Format("INSERT INTO %s(", table.GetString());
  return sql + Joined(names, ",") + ") VALUES(" + Joined(values, ",") + ")";
}

CString CSqlInsert::MakeFilterStr() const {
  std::vector<CString> terms;
  for (const auto& field : m_values) terms.push_back(field.first + "=" + field.second);
  return Joined(terms, " AND ");
}

void CSqlInsert::ExecuteSQL(CDatabase* db, const CString& table) {
  db->ExecuteSQL(MakeInsertSQL(table));
  if (!HasLongBinaries()) return;
  // The record just inserted; an engine that cannot name it is narrowed down by its values.
  CString condition = db->GetLastInsertCondition();
  if (condition.IsEmpty()) condition = MakeFilterStr();
  WriteLongBinaries(db, table, condition);
}

CString CSqlUpdate::MakeUpdateSQL(const CString& table) const {
  std::vector<CString> assignments;
  for (const auto& field : m_values) assignments.push_back(field.first + "=" + field.second);
  CString sql;
  sql.Format("UPDATE %s SET ", table.GetString());
  return sql + Joined(assignments, ", ") + " WHERE " + m_strWhere;
}

void CSqlUpdate::ExecuteSQL(CDatabase* db, const CString& table) {
  db->ExecuteSQL(MakeUpdateSQL(table));
  WriteLongBinaries(db, table, m_strWhere);
}
