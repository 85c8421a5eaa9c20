#include "data/DrawExport.h"

#include <algorithm>

#include "data/DrawText.h"
#include "data/FileIo.h"

std::string DrawsAsText(const TCodes& draws) {
    std::string text;
    text.reserve(static_cast<size_t>(draws.Count()) * 9);
    for (int32_t row = 0; row < draws.Count(); ++row) {
        text += DrawToText(draws.GetCode(row));
        text += "\r\n";
    }
    return text;
}

std::string DrawsAsCsv(const TCodes& draws, const TDrawRegister& reg) {
    // A date column with holes is no date column to the reader: dates go out when every draw
    // has one.
    bool dated = draws.Count() > 0;
    for (int32_t row = 0; row < draws.Count() && dated; ++row) dated = !reg.At(row).Date.empty();
    std::string text = Utf8ByteOrderMark;
    text += "期号,开奖日期";
    for (int32_t position = 1; position <= 7; ++position) {
        text += ',';
        text += PositionLetters[position];
    }
    text += ",和值\r\n";
    for (int32_t row = 0; row < draws.Count(); ++row) {
        const DrawRecord record = draws.GetCode(row);
        text += IssueLabel(reg, row, draws.Count(), draws.FirstIssue());
        text += ',';
        if (dated) text += reg.At(row).Date;
        for (int32_t position = 1; position <= 7; ++position) {
            text += ',';
            text += std::to_string(record[position]);
        }
        text += ',';
        text += std::to_string(record[0]);
        text += "\r\n";
    }
    return text;
}

bool IsCsvFileName(std::string_view path) {
    if (path.size() < 4) return false;
    std::string extension(path.substr(path.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return extension == ".csv";
}

void ExportDraws(const std::string& path, const TCodes& draws, const TDrawRegister& reg) {
    WriteFileAtomically(path, IsCsvFileName(path) ? DrawsAsCsv(draws, reg) : DrawsAsText(draws));
}

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}
