#include "app/exam/WorkbookReader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>

namespace exam {
namespace {

constexpr const char* kNotAWorkbook = "文件不是有效的Excel工作簿（.xlsx）";
constexpr int kMaxColumns = 16384;  // XFD

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct DocumentFreer {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Document = std::unique_ptr<xmlDoc, DocumentFreer>;

[[noreturn]] void refuse(const std::string& detail = {}) {
    throw WorkbookError(detail.empty() ? std::string(kNotAWorkbook)
                                       : std::string(kNotAWorkbook) + "：" + detail);
}

Archive openArchive(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) refuse();
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (archive == nullptr) {
        zip_source_free(source);
        refuse();
    }
    return Archive(archive);
}

// A part of the package, or nullopt when it is not there.
std::optional<std::string> readPart(zip_t* archive, const std::string& name) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, name.c_str(), 0, &stat) != 0) return std::nullopt;
    if ((stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > kMaxPartSize) refuse("内容过大");
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen(archive, name.c_str(), 0));
    if (!file) refuse();
    std::string content(static_cast<std::size_t>(stat.size), '\0');
    zip_int64_t total = 0;
    while (total < static_cast<zip_int64_t>(content.size())) {
        const zip_int64_t read =
            zip_fread(file.get(), content.data() + total, content.size() - static_cast<std::size_t>(total));
        if (read <= 0) refuse();
        total += read;
    }
    return content;
}

// Never loads a DTD, expands no external entity and reaches no network.
Document parse(const std::string& xml) {
    xmlDoc* document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (document == nullptr || xmlDocGetRootElement(document) == nullptr) {
        xmlFreeDoc(document);
        refuse();
    }
    return Document(document);
}

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string attribute(const xmlNode* node, const char* name) {
    for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
        if (xmlStrcmp(attr->name, reinterpret_cast<const xmlChar*>(name)) != 0) continue;
        xmlChar* value = xmlNodeGetContent(attr->children);
        std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return text;
    }
    return {};
}

std::string content(const xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

void appendUtf8(std::string& text, unsigned code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Workbooks write characters XML cannot hold (a carriage return, say) as "_x000D_".
std::string unescapeCharacters(const std::string& text) {
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.compare(at, 2, "_x") == 0 && at + 7 <= text.size() && text[at + 6] == '_') {
            const std::string hex = text.substr(at + 2, 4);
            const bool allHex = std::all_of(
                hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
            if (allHex) {
                const unsigned long code = std::strtoul(hex.c_str(), nullptr, 16);
                appendUtf8(result, static_cast<unsigned>(code));
                at += 7;
                continue;
            }
        }
        result += text[at++];
    }
    return result;
}

// The text of a string item: its own <t> and those of its runs; phonetic hints left out.
std::string itemText(const xmlNode* item) {
    std::string text;
    for (const xmlNode* child = item->children; child != nullptr; child = child->next) {
        if (named(child, "t")) text += content(child);
        if (named(child, "r")) {
            for (const xmlNode* part = child->children; part != nullptr; part = part->next) {
                if (named(part, "t")) text += content(part);
            }
        }
    }
    return unescapeCharacters(text);
}

std::vector<std::string> sharedStrings(zip_t* archive) {
    std::vector<std::string> strings;
    const std::optional<std::string> xml = readPart(archive, "xl/sharedStrings.xml");
    if (!xml) return strings;
    const Document document = parse(*xml);
    for (const xmlNode* item = xmlDocGetRootElement(document.get())->children; item != nullptr;
         item = item->next) {
        if (named(item, "si")) strings.push_back(itemText(item));
    }
    return strings;
}

// The package path of the sheet: the workbook names it, its relations give the part.
std::string sheetPart(zip_t* archive, std::string_view sheetName) {
    const std::optional<std::string> workbookXml = readPart(archive, "xl/workbook.xml");
    const std::optional<std::string> relationsXml = readPart(archive, "xl/_rels/workbook.xml.rels");
    if (!workbookXml || !relationsXml) refuse();
    std::string relation;
    const Document workbook = parse(*workbookXml);
    for (const xmlNode* part = xmlDocGetRootElement(workbook.get())->children; part && relation.empty();
         part = part->next) {
        if (!named(part, "sheets")) continue;
        for (const xmlNode* sheet = part->children; sheet != nullptr; sheet = sheet->next) {
            if (!named(sheet, "sheet")) continue;
            if (sheetName.empty() || attribute(sheet, "name") == sheetName) {
                relation = attribute(sheet, "id");
                break;
            }
        }
    }
    if (relation.empty())
        refuse(sheetName.empty() ? "没有工作表" : "没有工作表“" + std::string(sheetName) + "”");
    const Document relations = parse(*relationsXml);
    for (const xmlNode* node = xmlDocGetRootElement(relations.get())->children; node != nullptr;
         node = node->next) {
        if (!named(node, "Relationship") || attribute(node, "Id") != relation) continue;
        std::string target = attribute(node, "Target");
        if (!target.empty() && target.front() == '/') return target.substr(1);
        return "xl/" + target;
    }
    refuse();
}

std::size_t rowNumber(const xmlNode* row, std::size_t previous) {
    const std::string text = attribute(row, "r");
    if (text.empty()) return previous + 1;
    char* end = nullptr;
    const unsigned long number = std::strtoul(text.c_str(), &end, 10);
    if (*end != '\0' || number == 0 || number > kMaxSheetRows || number <= previous) refuse();
    return number;
}

std::string cellText(const xmlNode* cell, const std::vector<std::string>& strings) {
    const std::string type = attribute(cell, "t");
    for (const xmlNode* child = cell->children; child != nullptr; child = child->next) {
        if (type == "inlineStr" && named(child, "is")) return itemText(child);
        if (!named(child, "v")) continue;
        std::string value = content(child);
        if (type != "s") return value;
        char* end = nullptr;
        const unsigned long index = std::strtoul(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || index >= strings.size()) refuse();
        return strings[index];
    }
    return {};
}

}  // namespace

int CellColumn(std::string_view reference) {
    int column = 0;
    std::size_t letters = 0;
    while (letters < reference.size() && reference[letters] >= 'A' && reference[letters] <= 'Z') {
        column = column * 26 + (reference[letters] - 'A' + 1);
        if (column > kMaxColumns) return -1;
        ++letters;
    }
    return letters == 0 ? -1 : column - 1;
}

SheetRows ReadWorkbookSheet(std::string_view workbook, std::string_view sheetName, std::size_t rowLimit) {
    // The parser's global state is set up once, before two requests can parse at once.
    static std::once_flag parserReady;
    std::call_once(parserReady, [] { xmlInitParser(); });
    const Archive archive = openArchive(workbook);
    const std::vector<std::string> strings = sharedStrings(archive.get());
    const std::optional<std::string> sheetXml = readPart(archive.get(), sheetPart(archive.get(), sheetName));
    if (!sheetXml) refuse();
    const Document sheet = parse(*sheetXml);
    SheetRows rows;
    for (const xmlNode* part = xmlDocGetRootElement(sheet.get())->children; part != nullptr;
         part = part->next) {
        if (!named(part, "sheetData")) continue;
        for (const xmlNode* row = part->children; row != nullptr; row = row->next) {
            if (!named(row, "row")) continue;
            const std::size_t number = rowNumber(row, rows.size());
            if (number > rowLimit) {
                rows.resize(rowLimit + 1);
                return rows;
            }
            rows.resize(number);
            std::vector<std::string>& cells = rows.back();
            for (const xmlNode* cell = row->children; cell != nullptr; cell = cell->next) {
                if (!named(cell, "c")) continue;
                const std::string reference = attribute(cell, "r");
                const int column = reference.empty() ? static_cast<int>(cells.size()) : CellColumn(reference);
                if (column < 0 || column >= kMaxColumns) refuse();
                if (static_cast<std::size_t>(column) >= cells.size())
                    cells.resize(static_cast<std::size_t>(column) + 1);
                cells[static_cast<std::size_t>(column)] = cellText(cell, strings);
            }
        }
    }
    return rows;
}

}  // namespace exam
