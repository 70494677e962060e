#include "reports/ReportExport.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "platform/Platform.h"
#include "reports/ReportCsv.h"

namespace reports {

namespace {

// Positions on a line count characters, not the bytes of their UTF-8 form.
int characters(std::string_view utf8) {
    int n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string directoryOf(const std::string& path) {
    const std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? "." : dir;
}

ExportOutcome failed(const std::string& path, std::string_view reason) {
    std::string message = std::string(kUnableToSave) + path;
    if (!reason.empty()) message += "\r\n\r\n" + std::string(reason);
    return {false, message};
}

}  // namespace

ExportDialog ExportDialogFor(ExportKind kind) {
    if (kind == ExportKind::Csv)
        return {std::string(kExportTitle), "CSV files (*.csv)|*.CSV", "csv"};
    if (kind == ExportKind::Delimited)
        return {std::string(kExportTitle), "Delimited files (*.asc)|*.ASC", "asc"};
    return {std::string(kExportTitle), "Text files (*.txt)|*.TXT", "txt"};
}

std::string ExportLine(const Document& doc, int r, ExportKind kind) {
    std::string line;
    int length = 0;  // characters on the line
    const std::span<const std::string> cells = doc.row(r);
    for (std::size_t c = 0; c + 1 < cells.size(); ++c) {
        PlacedCell cell;
        if (!ParseCell(cells[c], cell)) continue;
        if (kind == ExportKind::Delimited) {
            if (!line.empty()) line += '\t';
            line += cell.text;
            continue;
        }
        const int width = characters(cell.text);
        int target = cell.column;
        if (cell.code == 'R') target -= width;
        if (cell.code == 'C') target -= width / 2;
        if (length < target) {
            line.append(std::size_t(target - length), ' ');
            length = target;
        }
        line += cell.text;
        length += width;
    }
    return line;
}

std::string ExportBytes(const Document& doc, ExportKind kind) {
    if (kind == ExportKind::Csv) return CsvBytes(doc);
    std::string bytes;
    for (int r = 0; r <= doc.lastRow; ++r) {
        bytes += ExportLine(doc, r, kind);
        bytes += "\r\n";
    }
    return bytes;
}

ExportOutcome WriteExportFile(const std::string& bytes, const std::string& path,
                              engine::FileSystem& fs) {
    const std::string partial = path + std::string(kPartialSuffix);
    std::unique_ptr<engine::File> file;
    if (fs.open(partial, engine::OpenMode::Create, file) != 0) return failed(path, "");

    constexpr std::size_t kChunk = 1 << 16;
    int err = 0;
    for (std::size_t at = 0; at < bytes.size() && err == 0; at += kChunk)
        err = file->write(at, bytes.data() + at, std::min(kChunk, bytes.size() - at));
    if (err == 0) err = file->sync();
    file.reset();
    if (err == 0) err = fs.rename(partial, path);
    if (err != 0) {
        fs.remove(partial);
        return failed(path, err == ENOSPC ? kDiskFull : kWriteFailed);
    }
    // The file is complete either way; a lost directory sync only risks the rename itself.
    fs.syncDir(directoryOf(path));
    return {};
}

ExportOutcome ExportReport(const Document& doc, ExportKind kind, const std::string& path,
                           engine::FileSystem& fs) {
    return WriteExportFile(ExportBytes(doc, kind), path, fs);
}

bool ExportCommand(const Document& doc, ExportKind kind,
                   const std::function<std::string(const ExportDialog&)>& askFileName,
                   engine::FileSystem& fs) {
    platform::Files& files = platform::files();
    const std::string dataDir = files.currentDir();
    const std::string name = askFileName(ExportDialogFor(kind));
    files.setCurrentDir(dataDir);
    if (name.empty()) return false;
    const ExportOutcome outcome = ExportReport(doc, kind, name, fs);
    if (!outcome.ok)
        platform::messages().show(platform::MessageKind::Information, outcome.message,
                                  platform::Buttons::OK);
    return outcome.ok;
}

}  // namespace reports
