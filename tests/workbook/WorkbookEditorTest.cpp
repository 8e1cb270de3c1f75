// Record-level editing on its own, over the workbook LibreOffice saved: a
// cell that would lose its formula or boolean is refused by name, damaged
// and foreign files are refused, and a workbook no statement touched keeps
// every stream and sheet.
#include "tests/support/XlsTool.h"
#include "workbook/CompoundFileReader.h"
#include "workbook/WorkbookEditor.h"
#include "workbook/WorkbookReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WorkbookEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_file = Slurp(LibreOfficeWorkbookPath());
        std::string error;
        ASSERT_TRUE(LoadWorkbook(LibreOfficeWorkbookPath(), m_original, &error)) << error;
    }

    std::string m_file;
    Workbook m_original;
};

TEST_F(WorkbookEditorTest, ACellThatWouldLoseItsFormulaOrBooleanIsRefusedByName)
{
    const struct {
        int row;
        int column;
        const char* says;
    } cases[] = {
        {0, 1, "the sheet \"Notes\" would lose a formula in cell B1"},
        {0, 2, "the sheet \"Notes\" would lose a boolean in cell C1"},
    };
    for (const auto& c : cases) {
        Workbook edited = m_original;
        edited.FindSheet("Notes")->At(c.row, c.column) = WorkbookCell::Text("over");
        std::string out;
        std::string error;
        EXPECT_FALSE(EditWorkbookFile(m_file, m_original, edited, {"Notes"}, out, &error));
        EXPECT_EQ(error, c.says);
        EXPECT_TRUE(out.empty());
    }
    // A plain cell beside them may change, and keeps its format.
    Workbook edited = m_original;
    edited.FindSheet("Notes")->At(0, 0) = WorkbookCell::Text("changed");
    std::string out;
    std::string error;
    ASSERT_TRUE(EditWorkbookFile(m_file, m_original, edited, {"Notes"}, out, &error)) << error;
}

TEST_F(WorkbookEditorTest, UntouchedSheetsAndStreamsStayAndForeignFilesAreRefused)
{
    Workbook edited = m_original;
    edited.sheets.push_back(WorkbookSheet{"Added", {}});
    edited.sheets.back().At(0, 0) = WorkbookCell::Text("a new text");
    std::string out;
    std::string error;
    ASSERT_TRUE(EditWorkbookFile(m_file, m_original, edited, {"Added"}, out, &error)) << error;
    CCompoundFileReader before;
    CCompoundFileReader after;
    ASSERT_TRUE(before.Open(m_file, &error)) << error;
    ASSERT_TRUE(after.Open(out, &error)) << error;
    ASSERT_EQ(before.Entries().size(), after.Entries().size());
    for (std::size_t i = 0; i < before.Entries().size(); ++i) {
        const CompoundEntry& entry = before.Entries()[i];
        if (entry.type != CompoundEntry::Stream)
            continue;
        std::string a;
        std::string b;
        ASSERT_TRUE(before.ReadStream(i, a, &error));
        ASSERT_TRUE(after.ReadStream(i, b, &error));
        if (entry.name != u"Workbook")
            EXPECT_TRUE(a == b) << EntryNameText(entry.name);
        else
            EXPECT_GT(b.size(), a.size());
    }

    std::string damaged = m_file;
    damaged.resize(damaged.size() / 2);
    for (const std::string& file : {damaged, std::string("not a workbook")}) {
        error.clear();
        EXPECT_FALSE(EditWorkbookFile(file, m_original, edited, {"Added"}, out, &error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
