#include "reports/ReportExport.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

namespace {

// Appends the output line of row `r`, without its line end; `shower` makes the cells' text.
void appendLine(std::string& out, CellShower& shower, const RowCells& cells, ExportKind kind) {
    const std::size_t lineStart = out.size();
    int length = 0;  // characters on the line
    for (std::size_t c = 0; c + 1 < cells.size(); ++c) {
        PlacedCell cell;
        if (!shower.place(cells.bytes(c), int(c), cell)) continue;
        if (kind == ExportKind::Delimited) {
            if (out.size() > lineStart) out += '\t';
            out += cell.text;
            continue;
        }
        const int width = characters(cell.text);
        int target = cell.column;
        if (cell.code == 'R') target -= width;
        if (cell.code == 'C') target -= width / 2;
        if (length < target) {
            out.append(std::size_t(target - length), ' ');
            length = target;
        }
        out += cell.text;
        length += width;
    }
}

// The file written from its start in blocks of about kBlock bytes; the first failure stops
// the writing and is kept.
class BlockWriter {
public:
    static constexpr std::size_t kBlock = 1 << 16;

    explicit BlockWriter(engine::File& file) : file_(file) { buffer_.reserve(2 * kBlock); }

    std::string& buffer() { return buffer_; }
    void writeFullBlock() {
        if (buffer_.size() >= kBlock) write();
    }
    int finish() {
        write();
        return err_;
    }
    // Bytes already whole, written in blocks without a copy.
    void writeWhole(std::string_view bytes) {
        write();
        for (std::size_t at = 0; at < bytes.size() && err_ == 0; at += kBlock) {
            const std::size_t n = std::min(kBlock, bytes.size() - at);
            err_ = file_.write(at_, bytes.data() + at, n);
            at_ += n;
        }
    }

private:
    void write() {
        if (err_ == 0 && !buffer_.empty()) {
            err_ = file_.write(at_, buffer_.data(), buffer_.size());
            at_ += buffer_.size();
        }
        buffer_.clear();
    }

    engine::File& file_;
    std::string buffer_;
    std::uint64_t at_ = 0;
    int err_ = 0;
};

}  // namespace

std::string ExportLine(const Document& doc, int r, ExportKind kind) {
    std::string line;
    CellShower shower(doc);
    appendLine(line, shower, doc.row(r), kind);
    return line;
}

std::string ExportBytes(const Document& doc, ExportKind kind) {
    if (kind == ExportKind::Csv) return CsvBytes(doc);
    std::string bytes;
    CellShower shower(doc);
    for (int r = 0; r <= doc.lastRow; ++r) {
        appendLine(bytes, shower, doc.row(r), kind);
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

// Writes a file beside `path` under a temporary name, with the bytes `body` gives the
// writer, syncs it and renames it into place; any failure removes the temporary file.
template <typename Body>
ExportOutcome writeBeside(const std::string& path, engine::FileSystem& fs, Body body) {
    const std::string partial = path + std::string(kPartialSuffix);
    std::unique_ptr<engine::File> file;
    if (fs.open(partial, engine::OpenMode::Create, file) != 0) return failed(path, "");

    BlockWriter writer(*file);
    body(writer);
    int err = writer.finish();
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

}  // namespace

ExportOutcome WriteExportFile(const std::string& bytes, const std::string& path,
                              engine::FileSystem& fs) {
    return writeBeside(path, fs, [&](BlockWriter& writer) { writer.writeWhole(bytes); });
}

ExportOutcome ExportReport(const Document& doc, ExportKind kind, const std::string& path,
                           engine::FileSystem& fs) {
    if (kind == ExportKind::Csv) return WriteExportFile(CsvBytes(doc), path, fs);
    // Row by row into one block at a time, so a report of any length needs no more memory.
    return writeBeside(path, fs, [&](BlockWriter& writer) {
        CellShower shower(doc);
        for (int r = 0; r <= doc.lastRow; ++r) {
            appendLine(writer.buffer(), shower, doc.row(r), kind);
            writer.buffer() += "\r\n";
            writer.writeFullBlock();
        }
    });
}

bool ExportCommand(const Document& doc, ExportKind kind,
                   const std::function<std::string(const ExportDialog&)>& askFileName,
                   engine::FileSystem& fs) {
    const std::string name = askFileName(ExportDialogFor(kind));
    if (name.empty()) return false;
    const ExportOutcome outcome = ExportReport(doc, kind, name, fs);
    if (!outcome.ok)
        platform::messages().show(platform::MessageKind::Information, outcome.message,
                                  platform::Buttons::OK);
    return outcome.ok;
}

}  // namespace reports
