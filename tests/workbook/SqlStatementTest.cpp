// The statement parser on its own: what each statement the sheet file sends
// parses into, and the texts it refuses.
#include "workbook/SqlStatement.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlStatementTest, TheStatementsOfAnExportParseIntoTheirTablesColumnsAndValues)
{
    SqlStatement s;
    std::string error;
    ASSERT_TRUE(ParseSqlStatement("CREATE TABLE [Sheet] ([Date] char(255), [Time] char(255))", s, &error)) << error;
    EXPECT_EQ(s.kind, SqlStatement::Kind::CreateTable);
    EXPECT_EQ(s.table.sheet, "Sheet");
    EXPECT_FALSE(s.table.hasRange);
    EXPECT_EQ(s.columns, (std::vector<std::string>{"Date", "Time"}));
    EXPECT_EQ(s.types, (std::vector<std::string>{"char(255)", "char(255)"}));

    ASSERT_TRUE(ParseSqlStatement("drop table [CSpreadSheetBackup$A1:IV65536]", s, &error)) << error;
    EXPECT_EQ(s.kind, SqlStatement::Kind::DropTable);
    EXPECT_EQ(s.table.sheet, "CSpreadSheetBackup");
    EXPECT_TRUE(s.table.hasRange);
    EXPECT_EQ(s.table.lastRow, 65535);
    EXPECT_EQ(s.table.lastColumn, 255);

    ASSERT_TRUE(ParseSqlStatement("INSERT INTO [Sheet$A1:IV7] ([Date], [Value]) VALUES ('it''s', 65.3)", s, &error))
        << error;
    EXPECT_EQ(s.kind, SqlStatement::Kind::Insert);
    EXPECT_EQ(s.table.lastRow, 6);
    EXPECT_EQ(s.columns, (std::vector<std::string>{"Date", "Value"}));
    ASSERT_EQ(s.values.size(), 2u);
    EXPECT_EQ(s.values[0].kind, SqlValue::Kind::Text);
    EXPECT_EQ(s.values[0].text, "it's");
    EXPECT_EQ(s.values[1].kind, SqlValue::Kind::Number);
    EXPECT_EQ(s.values[1].text, "65.3");

    ASSERT_TRUE(ParseSqlStatement("SELECT * FROM [a;b$B2:C3]", s, &error)) << error;
    EXPECT_EQ(s.table.sheet, "a;b");
    EXPECT_EQ(s.table.firstRow, 1);
    EXPECT_EQ(s.table.firstColumn, 1);
    EXPECT_EQ(s.table.lastColumn, 2);
}

TEST(SqlStatementTest, WhatItDoesNotUnderstandIsRefusedWithAReason)
{
    const char* refused[] = {
        "",
        "UPDATE [Sheet] SET [A] = 1",
        "INSERT INTO [Sheet] ([A]) VALUES ('open",
        "CREATE TABLE [Sheet] ([A] char(255)",
        "SELECT * FROM [Sheet$A1:IW1]",
        "SELECT * FROM [Sheet$B2:A1]",
        "SELECT * FROM [Sheet$A0:B2]",
        "DROP TABLE [Sheet] trailing",
    };
    for (const char* text : refused) {
        SqlStatement s;
        std::string error;
        EXPECT_FALSE(ParseSqlStatement(text, s, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

} // namespace
