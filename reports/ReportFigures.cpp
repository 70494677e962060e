#include "reports/ReportFigures.h"

#include "reports/BuilderParts.h"

namespace reports {

std::string CellText(const Document& doc, int r, int c) {
    CellShower shower(doc);
    PlacedCell placed;
    if (!shower.place(r, c, placed)) return {};
    return Trimmed(placed.text);
}

bool IsDataRow(const Document& doc, int r) {
    const RowKind kind = doc.rowKind(r);
    return kind == RowKind::Data || kind == RowKind::Total;
}

}  // namespace reports
