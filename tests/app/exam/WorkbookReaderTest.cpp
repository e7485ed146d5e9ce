#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/exam/WorkbookReader.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

TEST(WorkbookReaderTest, CellReferencesGiveTheirColumn) {
    const std::vector<std::pair<std::string, int>> cases{
        {"A1", 0}, {"Z9", 25}, {"AA1", 26}, {"AB12", 27}, {"XFD1", 16383}, {"XFE1", -1}, {"12", -1}, {"", -1},
    };
    for (const auto& [reference, column] : cases) EXPECT_EQ(CellColumn(reference), column) << reference;
}

// A workbook package made by hand from the given parts.
std::string package(const std::vector<std::pair<std::string, std::string>>& parts,
                    const std::filesystem::path& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    }
    zip_close(archive);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kWorkbookXml =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const std::string kRelations =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>";

std::string sheet(const std::string& rows) {
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
           rows + "</sheetData></worksheet>";
}

TEST(WorkbookReaderTest, CellsOfEveryKindReadAsText) {
    db::testing::TempFolder folder;
    const std::string bytes = package(
        {{"xl/workbook.xml", kWorkbookXml},
         {"xl/_rels/workbook.xml.rels", kRelations},
         {"xl/sharedStrings.xml",
          "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>甲</t></si>"
          "<si><r><t>乙</t></r><r><t>丙_x000D_</t></r></si></sst>"},
         {"xl/worksheets/sheet1.xml",
          sheet("<row r=\"2\"><c r=\"B2\" t=\"s\"><v>1</v></c><c r=\"D2\"><v>1.5</v></c></row>"
                "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>丁</t></is></c><c r=\"B3\" "
                "t=\"b\"><v>1</v></c>"
                "<c r=\"C3\" t=\"str\"><f>1+1</f><v>2</v></c><c r=\"E3\" t=\"s\"><v>0</v></c></row>")}},
        folder.file("w.xlsx"));
    EXPECT_EQ(ReadWorkbookSheet(bytes),
              (SheetRows{{}, {"", "乙丙\r", "", "1.5"}, {"丁", "1", "2", "", "甲"}}));
    EXPECT_EQ(ReadWorkbookSheet(bytes, "S", 2), (SheetRows{{}, {"", "乙丙\r", "", "1.5"}, {}}));
}

TEST(WorkbookReaderTest, BrokenWorkbooksAreRefused) {
    db::testing::TempFolder folder;
    const std::string good = sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
    const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> cases{
        {"no workbook part", {{"xl/worksheets/sheet1.xml", good}}},
        {"sheet missing", {{"xl/workbook.xml", kWorkbookXml}, {"xl/_rels/workbook.xml.rels", kRelations}}},
        {"broken XML",
         {{"xl/workbook.xml", kWorkbookXml},
          {"xl/_rels/workbook.xml.rels", kRelations},
          {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row>"}}},
        {"string index out of range",
         {{"xl/workbook.xml", kWorkbookXml},
          {"xl/_rels/workbook.xml.rels", kRelations},
          {"xl/worksheets/sheet1.xml", sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>7</v></c></row>")}}},
        {"rows out of order",
         {{"xl/workbook.xml", kWorkbookXml},
          {"xl/_rels/workbook.xml.rels", kRelations},
          {"xl/worksheets/sheet1.xml", sheet("<row r=\"3\"></row><row r=\"2\"></row>")}}},
    };
    for (const auto& [what, parts] : cases) {
        const std::string bytes = package(parts, folder.file("broken.xlsx"));
        try {
            ReadWorkbookSheet(bytes);
            ADD_FAILURE() << what << ": read";
        } catch (const WorkbookError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("文件不是有效的Excel工作簿（.xlsx）", 0), 0u) << what;
        }
    }
    EXPECT_THROW(ReadWorkbookSheet("not a zip at all"), WorkbookError);
    EXPECT_THROW(ReadWorkbookSheet(""), WorkbookError);
}

}  // namespace
}  // namespace exam
