// A fixture for database-layer suites that run once per engine: a fresh database and an open
// connection to it, with helpers that read tables back.
#ifndef LUMOTOOLS_TESTS_DB_DB_FIXTURE_H_
#define LUMOTOOLS_TESTS_DB_DB_FIXTURE_H_

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lumotools/db.h"
#include "support/test_database.h"

namespace lumo_test {

class DbFamilyTest : public ::testing::TestWithParam<DbEngine> {
 protected:
  DbFamilyTest() : db_(GetParam()), conn_(db_.Connect()) {}

  // The first column of every row of sql, as text, in the order the engine returns them.
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    CRecordset rs(conn_.get());
    rs.Open(CRecordset::forwardOnly, sql.c_str(), CRecordset::readOnly);
    for (; !rs.IsEOF(); rs.MoveNext()) {
      CString value;
      rs.GetFieldValue(static_cast<short>(0), value);
      values.push_back(value.str());
    }
    return values;
  }

  // The bytes of a long-binary column of the one record sql selects.
  std::vector<unsigned char> Bytes(const std::string& sql, const char* column) {
    CLumoRecordset rs(conn_.get());
    rs.Open(CRecordset::forwardOnly, sql.c_str(), CRecordset::readOnly);
    std::vector<unsigned char> bytes;
    if (!rs.IsEOF()) rs.fGetFieldValue(column, bytes);
    return bytes;
  }

  TestDatabase db_;
  std::unique_ptr<CDatabase> conn_;
};

}  // namespace lumo_test

#define LUMO_INSTANTIATE_FOR_EVERY_ENGINE(suite)                                         \
  INSTANTIATE_TEST_SUITE_P(Engines, suite, ::testing::ValuesIn(lumo_test::AllEngines()), \
                           lumo_test::EngineParamName)

#endif  // LUMOTOOLS_TESTS_DB_DB_FIXTURE_H_
