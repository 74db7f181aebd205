#include "lumotools/platform/odbc.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_database.h"

namespace {

using lumo_test::DbEngine;
using lumo_test::DbErrorOf;
using lumo_test::TestDatabase;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Texts = std::vector<std::string>;

// A recordset with bound members, as the library's record classes are written.
class ItemRecordset : public CRecordset {
 public:
  explicit ItemRecordset(CDatabase* db) : CRecordset(db) { m_nFields = 3; }
  void DoFieldExchange(CFieldExchange* pFX) override {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Long(pFX, "[Num]", m_num);
    RFX_Text(pFX, "[Name]", m_name);
    RFX_LongBinary(pFX, "[Data]", m_data);
  }
  void SetData(const std::string& bytes) {
    if (m_data.m_hData != nullptr) m_data.m_hData = GlobalFree(m_data.m_hData);
    m_data.m_hData = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(m_data.m_hData), bytes.data(), bytes.size());
    GlobalUnlock(m_data.m_hData);
    m_data.m_dwDataLength = bytes.size();
    SetFieldDirty(&m_data);
    SetFieldNull(&m_data, FALSE);
  }
  std::string Data() {
    const auto* p = static_cast<const char*>(GlobalLock(m_data.m_hData));
    std::string bytes(p, m_data.m_dwDataLength);
    GlobalUnlock(m_data.m_hData);
    return bytes;
  }

  long m_num = 0;
  CString m_name;
  CLongBinary m_data;
};

// The named fields of the current record as "type:value" texts.
Texts Variants(CRecordset& rs, std::initializer_list<const char*> names) {
  Texts values;
  for (const char* name : names) {
    CDBVariant v;
    rs.GetFieldValue(name, v);
    // clang-format off
    switch (v.m_dwType) {
      case DBVT_NULL: values.push_back("null"); break;
      case DBVT_BOOL: values.push_back("bool:" + std::to_string(v.m_boolVal)); break;
      case DBVT_LONG: values.push_back("long:" + std::to_string(v.m_lVal)); break;
      case DBVT_DOUBLE: values.push_back("double:" + std::to_string(v.m_dblVal)); break;
      case DBVT_STRING: values.push_back("text:" + v.m_pstring->str()); break;
      default: values.push_back("type " + std::to_string(v.m_dwType));
    }
    // clang-format on
  }
  return values;
}

class OdbcTest : public ::testing::TestWithParam<DbEngine> {
 protected:
  OdbcTest() : db_(GetParam()) {
    db_.Execute({"CREATE TABLE Items (" + db_.AutoNumberId() +
                 ", Num INTEGER, Size DOUBLE PRECISION, Name VARCHAR(80), Data " +
                 db_.LongBinaryType() + ")"});
    conn_ = db_.Connect();
  }

  // Every Num of the table in ID order, with its Name.
  Texts Rows() {
    Texts rows;
    CRecordset rs(conn_.get());
    rs.Open(CRecordset::forwardOnly, "select Num, Name from Items order by ID",
            CRecordset::readOnly);
    for (; !rs.IsEOF(); rs.MoveNext()) {
      CString num, name;
      rs.GetFieldValue("Num", num);
      rs.GetFieldValue("Name", name);
      rows.push_back(num.str() + ":" + name.str());
    }
    return rows;
  }

  TestDatabase db_;
  std::unique_ptr<CDatabase> conn_;
};

TEST_P(OdbcTest, ReadsFieldsByNameWithTheDefaultTypeOfEachColumn) {
  conn_->ExecuteSQL("INSERT INTO Items(Num, Size, Name) VALUES(-7, 2.5, 'abc')");
  CRecordset rs(conn_.get());
  rs.Open(CRecordset::forwardOnly, "select * from Items", CRecordset::readOnly);
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetODBCFieldCount(), 5);
  // Names match with the ASCII letters folded, Z and z among them.
  EXPECT_EQ(Variants(rs, {"num", "SIZE", "Name", "Data"}),
            Texts({"long:-7", "double:2.500000", "text:abc", "null"}));
  CString text;
  rs.GetFieldValue("Size", text);
  EXPECT_EQ(text, "2.5");
  rs.GetFieldValue("Data", text);
  EXPECT_EQ(text, "");
  rs.GetFieldValue(static_cast<short>(3), text);
  EXPECT_EQ(text, "abc");
  CDBVariant v;
  EXPECT_THAT(DbErrorOf([&] { rs.GetFieldValue("Missing", v); }), HasSubstr("Missing"));
  for (const short index : {-1, 5}) {
    EXPECT_THAT(DbErrorOf([&] { rs.GetFieldValue(index, v); }),
                HasSubstr("no column " + std::to_string(index)));
  }
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_FALSE(rs.IsBOF());
  EXPECT_THAT(DbErrorOf([&] { rs.MoveNext(); }), HasSubstr("no current record"));
  EXPECT_THAT(DbErrorOf([&] { rs.GetFieldValue("Num", v); }), HasSubstr("no current record"));
  rs.Close();

  // Bound members bind by name whatever the column order.
  ItemRecordset bound(conn_.get());
  bound.Open(CRecordset::snapshot, "select * from Items");
  EXPECT_EQ(bound.m_num, -7);
  EXPECT_EQ(bound.m_name, "abc");
  EXPECT_TRUE(bound.IsFieldNull(&bound.m_data));
  bound.Close();

  // A count and a maximum read as long on every engine; a text NULL is no empty text.
  conn_->ExecuteSQL("INSERT INTO Items(Num) VALUES(9)");
  CRecordset aggregates(conn_.get());
  aggregates.Open(CRecordset::forwardOnly,
                  "SELECT COUNT(Num) AS CT, max(Num) as M, min(Name) AS N FROM Items WHERE Num > 0",
                  CRecordset::readOnly);
  EXPECT_EQ(Variants(aggregates, {"CT", "m", "N"}), Texts({"long:1", "long:9", "null"}));
  if (GetParam() == DbEngine::kSqlite) {  // PostgreSQL's driver gives booleans as text
    conn_->ExecuteSQL("CREATE TABLE Flags (F BIT, G BIT)");
    conn_->ExecuteSQL("INSERT INTO Flags VALUES (0, 1)");
    CRecordset flags(conn_.get());
    flags.Open(CRecordset::forwardOnly, "select * from Flags", CRecordset::readOnly);
    EXPECT_EQ(Variants(flags, {"F", "G"}), Texts({"bool:0", "bool:1"}));
  }
}

TEST_P(OdbcTest, AcceptsTheAccessFormsOfDeleteAndBrackets) {
  conn_->ExecuteSQL("INSERT INTO Items([Num], [Name]) VALUES(1, 'keep [this]')");
  conn_->ExecuteSQL("INSERT INTO Items([Num], [Name]) VALUES(2, 'b')");
  conn_->ExecuteSQL("Delete * From Items Where [Num] = 2");
  EXPECT_EQ(Rows(), Texts({"1:keep [this]"}));
  conn_->ExecuteSQL("Delete * From Items");
  EXPECT_TRUE(Rows().empty());
  // A bracketed name that is a plain identifier names what the unbracketed name does.
  conn_->ExecuteSQL("CREATE TABLE Plain(_Low INTEGER, U1 INTEGER)");
  conn_->ExecuteSQL("INSERT INTO Plain([_Low], [U1]) VALUES(1, 2)");
  conn_->ExecuteSQL("INSERT INTO Items([Num], [Name]) VALUES(3, 'c')");
  ItemRecordset rs(conn_.get());
  rs.Open(CRecordset::dynaset, "select [Num], [Name], [Data] from [Items] where [Num] = 3");
  ASSERT_TRUE(rs.CanUpdate());
  rs.Edit();
  rs.m_name = "bracketed";
  EXPECT_TRUE(rs.Update());
  EXPECT_EQ(Rows(), Texts({"3:bracketed"}));
}

TEST_P(OdbcTest, EngineErrorsCarryTheDriversDiagnostics) {
  CDBException* caught = nullptr;
  try {
    conn_->ExecuteSQL("SELECT * FROM NoSuchTable");
  } catch (CDBException* e) {
    caught = e;
  }
  ASSERT_NE(caught, nullptr);
  // Vendor prefixes ("[SQLite]"; PostgreSQL's driver gives none) go to the origin, and the
  // message keeps the driver's words alone.
  EXPECT_THAT(caught->m_strError.str(),
              StartsWith(GetParam() == DbEngine::kSqlite ? "no such table" : "ERROR: relation"));
  EXPECT_THAT(caught->GetDescription().str(), StartsWith(caught->m_strError.str() + " (State:"));
  EXPECT_THAT(caught->m_strStateNativeOrigin.str(), HasSubstr(",Native:"));
  if (GetParam() == DbEngine::kSqlite) {
    EXPECT_THAT(caught->m_strStateNativeOrigin.str(), HasSubstr(",Origin:["));
  }
  EXPECT_LT(caught->m_nRetCode, 0);
  caught->Delete();

  // A quote inside a text value ends the literal early: a syntax error, nothing written.
  DbErrorOf([&] { conn_->ExecuteSQL("INSERT INTO Items(Name) VALUES('O'Brien')"); });
  EXPECT_TRUE(Rows().empty());

  // A statement that outlasts the query time-out is cancelled, with or without written rows.
  if (GetParam() == DbEngine::kPostgres) {
    conn_->SetQueryTimeout(1);
    EXPECT_THAT(DbErrorOf([&] { conn_->ExecuteSQL("SELECT pg_sleep(5)"); }), HasSubstr("cancel"));
    EXPECT_THAT(DbErrorOf([&] {
                  conn_->ExecuteSQLForWrittenRows(
                      "INSERT INTO Items(Name) SELECT CAST(pg_sleep(5) AS TEXT)");
                }),
                HasSubstr("cancel"));
  }
}

TEST_P(OdbcTest, AddNewAndEditWriteBoundFieldsIncludingLongBinaries) {
  {
    ItemRecordset rs(conn_.get());
    // The table written is the one after the first FROM word outside a literal.
    rs.Open(
        CRecordset::dynaset,
        "select Num, Name, Data, ' from Elsewhere' AS Note, Num AS Fromage from Items where 1=0 ");
    ASSERT_TRUE(rs.CanUpdate());
    for (long n : {1, 2, 3}) {
      rs.AddNew();
      rs.m_num = n;
      rs.m_name = "same";
      rs.SetData(std::string(20000, static_cast<char>('a' + n)));  // read back in pieces
      ASSERT_TRUE(rs.Update());
    }
  }
  // Editing the second of three equal-looking records changes only that one.
  {
    ItemRecordset rs(conn_.get());
    rs.Open(CRecordset::dynaset, "select Num, Name, Data from Items where Num = 2");
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.Data(), std::string(20000, 'c'));
    rs.Edit();
    rs.m_name = "edited";
    rs.SetData(std::string("\x00\x01\x02", 3));
    EXPECT_TRUE(rs.Update());
    rs.Edit();  // a second edit of the same record finds it again
    rs.m_name = "twice";
    EXPECT_TRUE(rs.Update());
    rs.Edit();
    EXPECT_FALSE(rs.Update());                       // nothing changed
    EXPECT_NE(DbErrorOf([&] { rs.Update(); }), "");  // and the edit is over
  }
  EXPECT_EQ(Rows(), Texts({"1:same", "2:twice", "3:same"}));
  ItemRecordset rs(conn_.get());
  rs.Open(CRecordset::forwardOnly, "select Num, Name, Data from Items where Num = 2",
          CRecordset::readOnly);
  EXPECT_EQ(rs.Data(), std::string("\x00\x01\x02", 3));
  EXPECT_FALSE(rs.CanUpdate());
  EXPECT_NE(DbErrorOf([&] { rs.Edit(); }), "");

  // An edit of a record deleted meanwhile changes nothing, and says so.
  ItemRecordset vanished(conn_.get());
  vanished.Open(CRecordset::dynaset, "select Num, Name, Data from Items where Num = 3");
  conn_->ExecuteSQL("DELETE FROM Items WHERE Num = 3");
  vanished.Edit();
  vanished.m_name = "gone";
  EXPECT_THAT(DbErrorOf([&] { vanished.Update(); }), HasSubstr("no record was changed"));
  // At the end of its records there is none to edit.
  while (!vanished.IsEOF()) vanished.MoveNext();
  EXPECT_NE(DbErrorOf([&] { vanished.Edit(); }), "");

  // A new record writes only the fields set: the rest stay null, also after a record with data.
  ItemRecordset added(conn_.get());
  added.Open(CRecordset::dynaset, "select Num, Name, Data from Items where Num = 1");
  added.AddNew();
  added.SetFieldNull(&added.m_num, FALSE);
  EXPECT_TRUE(added.IsFieldNull(&added.m_name));
  added.m_num = 7;
  ASSERT_TRUE(added.Update());
  ItemRecordset both(conn_.get());
  both.Open(
      CRecordset::forwardOnly,
      "select Num, Name, Data from Items where Num = 1 or (Num = 7 and Name is null) order by Num",
      CRecordset::readOnly);
  ASSERT_FALSE(both.IsEOF());
  EXPECT_EQ(both.m_data.m_dwDataLength, 20000u);
  both.MoveNext();
  ASSERT_FALSE(both.IsEOF());
  EXPECT_EQ(both.m_num, 7);
  EXPECT_EQ(both.m_data.m_dwDataLength, 0u);
  EXPECT_EQ(both.m_data.m_hData, nullptr);  // the earlier record's block is freed
}

TEST_P(OdbcTest, RollbackDiscardsAndCommitKeeps) {
  ASSERT_TRUE(conn_->CanTransact());
  conn_->BeginTrans();
  conn_->ExecuteSQL("INSERT INTO Items(Num, Name) VALUES(1, 'gone')");
  conn_->Rollback();
  EXPECT_TRUE(Rows().empty());
  conn_->BeginTrans();
  conn_->ExecuteSQL("INSERT INTO Items(Num, Name) VALUES(2, 'kept')");
  conn_->CommitTrans();
  EXPECT_EQ(Rows(), Texts({"2:kept"}));
  conn_->ExecuteSQL("INSERT INTO Items(Num, Name) VALUES(3, 'kept')");
  conn_->ExecuteSQL("UPDATE Items SET Name = 'both' WHERE Name = 'kept'");
  EXPECT_EQ(conn_->GetLastRowCount(), 2);
  CDatabase closed;
  EXPECT_THAT(DbErrorOf([&] { closed.CommitTrans(); }), HasSubstr("not open"));
  EXPECT_THAT(DbErrorOf([&] { closed.ExecuteSQL("SELECT 1"); }), HasSubstr("not open"));
}

TEST_P(OdbcTest, WrittenRowsNameTheRecordsAStatementWroteAsTheyAreAfterIt) {
  // The Num of each record the conditions select, read one by one.
  auto numsOf = [&](const std::vector<CString>& conditions) {
    Texts nums;
    for (const CString& condition : conditions) {
      ItemRecordset rs(conn_.get());
      rs.m_strFilter = condition;
      rs.Open(CRecordset::dynaset, "select Num, Name, Data from Items");
      for (; !rs.IsEOF(); rs.MoveNext()) nums.push_back(std::to_string(rs.m_num));
    }
    return nums;
  };
  conn_->ExecuteSQL("INSERT INTO Items(Num, Name) VALUES(1, 'x')");
  const std::vector<CString> inserted =
      conn_->ExecuteSQLForWrittenRows("INSERT INTO Items(Num, Name) VALUES(1, 'x')");
  EXPECT_EQ(conn_->GetLastRowCount(), 1);
  conn_->ExecuteSQL("INSERT INTO Items(Num, Name) VALUES(3, 'y')");
  EXPECT_EQ(numsOf(inserted), Texts({"1"}));

  // The SET changes what the condition tests; the rows are named as they are afterwards.
  const std::vector<CString> updated =
      conn_->ExecuteSQLForWrittenRows("UPDATE Items SET Num = Num + 10 WHERE Name = 'x'");
  EXPECT_THAT(numsOf(updated), ::testing::UnorderedElementsAre("11", "11"));
  EXPECT_TRUE(conn_->ExecuteSQLForWrittenRows("UPDATE Items SET Num = 0 WHERE Num = 99").empty());
  EXPECT_NE(DbErrorOf([&] { conn_->ExecuteSQLForWrittenRows("UPDATE Nowhere SET a = 1"); }), "");

  EXPECT_EQ(Rows(), Texts({"11:x", "11:x", "3:y"}));
}

TEST_P(OdbcTest, ClosingTheDatabaseClosesItsRecordsetsAndAReopenedOneIsAlive) {
  const long before = LumoOdbcStatementCount();
  CRecordset rs(conn_.get());
  rs.Open(CRecordset::forwardOnly, "select * from Items", CRecordset::readOnly);
  EXPECT_EQ(LumoOdbcStatementCount(), before + 1);
  conn_->Close();
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_EQ(LumoOdbcStatementCount(), before);
  EXPECT_FALSE(conn_->IsConnectionAlive());
  conn_->OpenEx(db_.connectText().c_str());
  EXPECT_TRUE(conn_->IsConnectionAlive());
}

INSTANTIATE_TEST_SUITE_P(Engines, OdbcTest, ::testing::ValuesIn(lumo_test::AllEngines()),
                         lumo_test::EngineParamName);

TEST(GlobalMemory, FixedAndMoveableBlocks) {
  HGLOBAL fixed = GlobalAlloc(GPTR, 16);  // zeroed, and its own address
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), static_cast<void*>(fixed));
  EXPECT_EQ(GlobalSize(fixed), 16u);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(fixed));
  EXPECT_TRUE(std::all_of(bytes, bytes + 16, [](unsigned char b) { return b == 0; }));
  EXPECT_FALSE(GlobalUnlock(fixed));
  EXPECT_EQ(GlobalFree(fixed), nullptr);

  HGLOBAL moveable = GlobalAlloc(GHND, 3);
  EXPECT_FALSE(GlobalUnlock(moveable));  // not locked: stays so
  void* p = GlobalLock(moveable);
  EXPECT_NE(p, static_cast<void*>(moveable));
  EXPECT_EQ(GlobalLock(moveable), p);
  EXPECT_TRUE(GlobalUnlock(moveable));   // one lock remains
  EXPECT_FALSE(GlobalUnlock(moveable));  // none remains
  EXPECT_EQ(GlobalSize(moveable), 3u);
  GlobalFree(moveable);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

}  // namespace
