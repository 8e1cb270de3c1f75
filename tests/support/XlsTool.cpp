#include "tests/support/XlsTool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include <sys/wait.h>

namespace {

// Runs the tool; the exit status and everything it printed.
int RunTool(const std::string& command, const std::string& path, std::string& output)
{
    const std::string line = std::string("/usr/bin/python3 '") + VEXALOG_TEST_SUPPORT_DIR + "/xls_tool.py' " +
                             command + " '" + path + "' 2>&1";
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

const XlsSheet* XlsReadBack::Sheet(const std::string& name) const
{
    for (const XlsSheet& sheet : sheets)
        if (sheet.name == name)
            return &sheet;
    return nullptr;
}

std::vector<std::string> XlsReadBack::SheetNames() const
{
    std::vector<std::string> names;
    for (const XlsSheet& sheet : sheets)
        names.push_back(sheet.name);
    return names;
}

XlsReadBack ReadXlsWithXlrd(const std::string& path)
{
    XlsReadBack result;
    std::string output;
    if (RunTool("dump", path, output) != 0) {
        result.error = output;
        return result;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(output), &parseError);
    if (!document.isArray()) {
        result.error = "not JSON: " + output.substr(0, 200);
        return result;
    }
    for (const QJsonValue& sheetValue : document.array()) {
        XlsSheet sheet;
        sheet.name = sheetValue.toObject().value("name").toString().toStdString();
        for (const QJsonValue& rowValue : sheetValue.toObject().value("rows").toArray()) {
            std::vector<std::string> row;
            for (const QJsonValue& cell : rowValue.toArray())
                row.push_back(cell.toString().toStdString());
            sheet.rows.push_back(std::move(row));
        }
        result.sheets.push_back(std::move(sheet));
    }
    result.ok = true;
    return result;
}

bool MakeXlsWithXlwt(const std::string& path, std::string* error, const std::string& kind)
{
    std::string output;
    if (RunTool(kind, path, output) == 0)
        return true;
    *error = output;
    return false;
}

CsvReadBack ReadCsvWithPython(const std::string& path)
{
    CsvReadBack result;
    std::string output;
    if (RunTool("csv", path, output) != 0) {
        result.error = output;
        return result;
    }
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(output));
    if (!document.isArray()) {
        result.error = "not JSON: " + output.substr(0, 200);
        return result;
    }
    for (const QJsonValue& rowValue : document.array()) {
        std::vector<std::string> row;
        for (const QJsonValue& cell : rowValue.toArray())
            row.push_back(cell.toString().toStdString());
        result.rows.push_back(std::move(row));
    }
    result.ok = true;
    return result;
}

std::string WhatXlrdFindsLost(const std::string& before, const std::string& after)
{
    std::string output;
    RunTool("kept", before + "," + after, output);
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output;
}

std::string LibreOfficeWorkbookPath()
{
    return std::string(VEXALOG_TEST_SUPPORT_DIR) + "/libreoffice.xls";
}
