#include "widgets/Pictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <map>

namespace cbk {

namespace {

struct Look {
    const char* label;  // as drawn; "\n" breaks the line
    QSize size;
    QColor top, bottom;  // face gradient
};

const QSize kLarge(128, 96), kWide(96, 32), kSmall(64, 32);

Look lookOf(Picture p) {
    const QColor green(0x2e, 0x8b, 0x57), darkGreen(0x1d, 0x5e, 0x3a);
    const QColor red(0xc0, 0x39, 0x2b), darkRed(0x80, 0x20, 0x18);
    const QColor blue(0x3a, 0x6e, 0xa5), darkBlue(0x1f, 0x3f, 0x66);
    const QColor sand(0xf4, 0xe9, 0xc8), darkSand(0xd9, 0xc2, 0x8a);
    const QColor slate(0xe6, 0xea, 0xef), darkSlate(0xb4, 0xbc, 0xc6);
    switch (p) {
        case Picture::Income:
            return {"Income", kLarge, green, darkGreen};
        case Picture::AccountsIncome:
            return {"Accounts", kSmall, slate, darkSlate};
        case Picture::Folders:
            return {"Folders", kSmall, sand, darkSand};
        case Picture::AccountsExpense:
            return {"Accounts", kSmall, slate, darkSlate};
        case Picture::Expenses:
            return {"Expenses", kLarge, red, darkRed};
        case Picture::ImportPayments:
            return {"Import\nPayments", kWide, slate, darkSlate};
        case Picture::RateChange:
            return {"Rate\nChange", kWide, slate, darkSlate};
        case Picture::ExpenseReports:
            return {"Expense\nReports", kLarge, red, darkRed};
        case Picture::IncomeReports:
            return {"Income\nReports", kLarge, green, darkGreen};
        case Picture::ProfitReports:
            return {"Profit\nReports", kWide, slate, darkSlate};
        case Picture::GeneralLedger:
            return {"General\nLedger", kWide, slate, darkSlate};
        case Picture::Backup:
            return {"Backup", kWide, blue, darkBlue};
        case Picture::Restore:
            return {"Restore", kWide, blue, darkBlue};
        case Picture::Archive:
            return {"Archive", kWide, sand, darkSand};
        case Picture::DeArchive:
            return {"De-Archive", kWide, sand, darkSand};
        case Picture::ReIndex:
            return {"Re-Index", kWide, slate, darkSlate};
        case Picture::Pack:
            return {"Pack", kWide, slate, darkSlate};
        case Picture::EraseData:
            return {"Erase Data\nFiles", kWide, slate, darkSlate};
        case Picture::Upgrade:
            return {"Upgrade\nData Files", kWide, slate, darkSlate};
    }
    return {"", kWide, slate, darkSlate};
}

bool darkFace(Picture p) {
    switch (p) {
        case Picture::Income:
        case Picture::Expenses:
        case Picture::ExpenseReports:
        case Picture::IncomeReports:
        case Picture::Backup:
        case Picture::Restore:
            return true;
        default:
            return false;
    }
}

QFont pixelFont(int px, bool bold = true) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// The largest font up to `px` in which every line of `text` fits `width`.
QFont fittingFont(const QString& text, int px, int width, int height) {
    for (; px > 7; --px) {
        const QFont f = pixelFont(px);
        const QFontMetrics fm(f);
        const QStringList lines = text.split(QLatin1Char('\n'));
        bool fits = fm.height() * lines.size() <= height + 2;
        for (const QString& line : lines) fits = fits && fm.horizontalAdvance(line) <= width;
        if (fits) return f;
    }
    return pixelFont(7);
}

void arrow(QPainter& g, QPointF from, QPointF to, const QColor& c, qreal w) {
    g.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::max<qreal>(1.0, std::hypot(d.x(), d.y()));
    const QPointF u = d / len, n(-u.y(), u.x());
    const qreal head = w * 2.2;
    g.setBrush(c);
    g.drawPolygon(
        QPolygonF({to + u * head * 0.4, to - u * head + n * head, to - u * head - n * head}));
}

void coin(QPainter& g, QRectF r, const QColor& face, const QColor& edge, const QString& sign) {
    g.setPen(QPen(edge, r.width() / 14));
    g.setBrush(face);
    g.drawEllipse(r);
    g.setPen(edge);
    g.setFont(pixelFont(int(r.height() * 0.62)));
    g.drawText(r, Qt::AlignCenter, sign);
}

void sheet(QPainter& g, QRectF r, const QColor& ink) {
    g.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
    g.setBrush(Qt::white);
    g.drawRect(r);
    g.setPen(QPen(ink, std::max<qreal>(1.0, r.height() / 18)));
    for (int i = 1; i <= 4; ++i) {
        const qreal y = r.top() + r.height() * i / 5.5;
        g.drawLine(QPointF(r.left() + r.width() * 0.15, y),
                   QPointF(r.right() - r.width() * (i % 2 ? 0.15 : 0.35), y));
    }
}

void folder(QPainter& g, QRectF r) {
    QPainterPath p;
    p.moveTo(r.left(), r.top() + r.height() * 0.2);
    p.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.2);
    p.lineTo(r.left() + r.width() * 0.5, r.top() + r.height() * 0.35);
    p.lineTo(r.right(), r.top() + r.height() * 0.35);
    p.lineTo(r.right(), r.bottom());
    p.lineTo(r.left(), r.bottom());
    p.closeSubpath();
    g.setPen(QPen(QColor(0x8a, 0x6d, 0x1d), 1.2));
    g.setBrush(QColor(0xf0, 0xc0, 0x40));
    g.drawPath(p);
}

void disk(QPainter& g, QRectF r) {
    g.setPen(QPen(QColor(0x22, 0x22, 0x33), 1));
    g.setBrush(QColor(0x30, 0x30, 0x40));
    g.drawRoundedRect(r, 2, 2);
    g.setBrush(QColor(0xdd, 0xdd, 0xe6));
    g.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.55, r.height() * 0.35));
    g.setBrush(Qt::white);
    g.drawRect(QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.55, r.width() * 0.7,
                      r.height() * 0.4));
}

void box(QPainter& g, QRectF r) {
    g.setPen(QPen(QColor(0x6b, 0x4a, 0x1c), 1.2));
    g.setBrush(QColor(0xc8, 0x93, 0x4f));
    g.drawRect(QRectF(r.left(), r.top() + r.height() * 0.3, r.width(), r.height() * 0.7));
    g.setBrush(QColor(0xdb, 0xa8, 0x66));
    g.drawRect(QRectF(r.left() - 1, r.top() + r.height() * 0.12, r.width() + 2, r.height() * 0.2));
    g.drawLine(QPointF(r.center().x() - r.width() * 0.15, r.top() + r.height() * 0.5),
               QPointF(r.center().x() + r.width() * 0.15, r.top() + r.height() * 0.5));
}

void bars(QPainter& g, QRectF r, bool withLine) {
    g.setPen(QPen(QColor(0x33, 0x33, 0x33), 1));
    g.drawLine(r.bottomLeft(), r.bottomRight());
    const QColor colours[] = {QColor(0x3a, 0x6e, 0xa5), QColor(0x2e, 0x8b, 0x57),
                              QColor(0xe0, 0xa0, 0x30)};
    const qreal heights[] = {0.45, 0.7, 0.95};
    for (int i = 0; i < 3; ++i) {
        const qreal w = r.width() / 4.0;
        g.setBrush(colours[i]);
        g.drawRect(QRectF(r.left() + w * (0.3 + i * 1.25), r.bottom() - r.height() * heights[i], w,
                          r.height() * heights[i]));
    }
    if (withLine)
        arrow(g, r.bottomLeft() + QPointF(2, -4), r.topRight(), QColor(0xc0, 0x39, 0x2b), 1.6);
}

void book(QPainter& g, QRectF r) {
    g.setPen(QPen(QColor(0x1f, 0x3f, 0x66), 1.2));
    g.setBrush(QColor(0x2b, 0x55, 0x88));
    g.drawRoundedRect(r, 2, 2);
    g.setBrush(QColor(0xf8, 0xf4, 0xe8));
    g.drawRect(QRectF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.12, r.width() * 0.7,
                      r.height() * 0.76));
    g.setPen(QPen(QColor(0x99, 0x99, 0x99), 1));
    for (int i = 1; i < 4; ++i) {
        const qreal y = r.top() + r.height() * (0.12 + 0.19 * i);
        g.drawLine(QPointF(r.left() + r.width() * 0.25, y),
                   QPointF(r.right() - r.width() * 0.2, y));
    }
}

void glyph(QPainter& g, Picture p, QRectF r) {
    const QColor red(0xc0, 0x39, 0x2b), green(0x1d, 0x7a, 0x45), navy(0x1f, 0x3f, 0x66);
    const QPointF c = r.center();
    const qreal s = std::min(r.width(), r.height());
    const QRectF sq(c.x() - s / 2, c.y() - s / 2, s, s);
    switch (p) {
        case Picture::Income:
            coin(g, sq.adjusted(s * 0.22, s * 0.05, -s * 0.02, -s * 0.25), QColor(0xf6, 0xd3, 0x5b),
                 QColor(0x8a, 0x6d, 0x1d), QStringLiteral("$"));
            arrow(g, QPointF(sq.left() + s * 0.1, sq.top() + s * 0.15),
                  QPointF(sq.left() + s * 0.1, sq.bottom() - s * 0.05), QColor(0xe8, 0xff, 0xe8),
                  s / 14);
            break;
        case Picture::Expenses:
            coin(g, sq.adjusted(s * 0.02, s * 0.25, -s * 0.22, -s * 0.05), QColor(0xf6, 0xd3, 0x5b),
                 QColor(0x8a, 0x6d, 0x1d), QStringLiteral("$"));
            arrow(g, QPointF(sq.right() - s * 0.1, sq.bottom() - s * 0.1),
                  QPointF(sq.right() - s * 0.1, sq.top() + s * 0.05), QColor(0xff, 0xe8, 0xe8),
                  s / 14);
            break;
        case Picture::Folders:
            folder(g, sq.adjusted(1, 2, -1, -2));
            break;
        case Picture::ImportPayments:
            sheet(g, sq.adjusted(s * 0.35, 0, 0, -s * 0.1), green);
            arrow(g, QPointF(sq.left(), c.y()), QPointF(c.x() + s * 0.1, c.y()), navy, s / 10);
            break;
        case Picture::RateChange:
            g.setPen(red);
            g.setFont(pixelFont(int(s * 0.9)));
            g.drawText(sq, Qt::AlignCenter, QStringLiteral("%"));
            break;
        case Picture::ExpenseReports:
            sheet(g, sq.adjusted(s * 0.12, 0, -s * 0.12, 0), red);
            coin(g, QRectF(sq.right() - s * 0.42, sq.bottom() - s * 0.42, s * 0.42, s * 0.42),
                 QColor(0xff, 0xd0, 0xc8), red, QStringLiteral("-"));
            break;
        case Picture::IncomeReports:
            sheet(g, sq.adjusted(s * 0.12, 0, -s * 0.12, 0), green);
            coin(g, QRectF(sq.right() - s * 0.42, sq.bottom() - s * 0.42, s * 0.42, s * 0.42),
                 QColor(0xd0, 0xf0, 0xd8), green, QStringLiteral("+"));
            break;
        case Picture::ProfitReports:
            bars(g, sq.adjusted(1, 2, -1, -2), true);
            break;
        case Picture::GeneralLedger:
            book(g, sq.adjusted(s * 0.1, 1, -s * 0.1, -1));
            break;
        case Picture::Backup:
            disk(g, sq.adjusted(s * 0.3, s * 0.3, 0, 0));
            arrow(g, QPointF(sq.left() + s * 0.25, sq.bottom()),
                  QPointF(sq.left() + s * 0.25, sq.top()), Qt::white, s / 10);
            break;
        case Picture::Restore:
            disk(g, sq.adjusted(s * 0.3, 0, 0, -s * 0.3));
            arrow(g, QPointF(sq.left() + s * 0.25, sq.top()),
                  QPointF(sq.left() + s * 0.25, sq.bottom()), Qt::white, s / 10);
            break;
        case Picture::Archive:
            box(g, sq.adjusted(s * 0.1, s * 0.05, -s * 0.1, -s * 0.05));
            break;
        case Picture::DeArchive:
            box(g, sq.adjusted(s * 0.1, s * 0.25, -s * 0.25, 0));
            arrow(g, QPointF(c.x(), c.y() + s * 0.2), QPointF(sq.right(), sq.top()), green, s / 11);
            break;
        case Picture::ReIndex: {
            g.setPen(QPen(navy, s / 9, Qt::SolidLine, Qt::RoundCap));
            g.setBrush(Qt::NoBrush);
            const QRectF ring = sq.adjusted(s * 0.15, s * 0.15, -s * 0.15, -s * 0.15);
            g.drawArc(ring, 30 * 16, 270 * 16);
            arrow(g, QPointF(ring.right() - 1, ring.center().y() - s * 0.08),
                  QPointF(ring.right(), ring.top() + s * 0.05), navy, s / 12);
            break;
        }
        case Picture::Pack:
            arrow(g, QPointF(sq.left(), c.y()), QPointF(c.x() - s * 0.08, c.y()), navy, s / 10);
            arrow(g, QPointF(sq.right(), c.y()), QPointF(c.x() + s * 0.08, c.y()), navy, s / 10);
            break;
        case Picture::EraseData:
            g.setPen(QPen(red, s / 7, Qt::SolidLine, Qt::RoundCap));
            g.drawLine(sq.topLeft() + QPointF(s * 0.2, s * 0.2),
                       sq.bottomRight() - QPointF(s * 0.2, s * 0.2));
            g.drawLine(sq.topRight() + QPointF(-s * 0.2, s * 0.2),
                       sq.bottomLeft() + QPointF(s * 0.2, -s * 0.2));
            break;
        case Picture::Upgrade:
            arrow(g, QPointF(c.x(), sq.bottom()), QPointF(c.x(), sq.top() + s * 0.1), green, s / 7);
            break;
        case Picture::AccountsIncome:
        case Picture::AccountsExpense:
            break;  // drawn as digits by the caller
    }
}

QPixmap draw(Picture p) {
    const Look look = lookOf(p);
    QPixmap pixmap(look.size);
    pixmap.fill(Qt::transparent);
    QPainter g(&pixmap);
    g.setRenderHint(QPainter::Antialiasing);
    g.setRenderHint(QPainter::TextAntialiasing);

    const QRectF face = QRectF(pixmap.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(face.topLeft(), face.bottomLeft());
    shade.setColorAt(0, look.top.lighter(115));
    shade.setColorAt(1, look.bottom);
    g.setPen(QPen(look.bottom.darker(150), 1));
    g.setBrush(shade);
    g.drawRoundedRect(face, 5, 5);

    const QColor ink = darkFace(p) ? Qt::white : QColor(0x10, 0x20, 0x30);
    const QString label = QString::fromLatin1(look.label);
    const int w = look.size.width(), h = look.size.height();

    if (p == Picture::AccountsIncome || p == Picture::AccountsExpense) {
        const QColor digits =
            p == Picture::AccountsIncome ? QColor(0x10, 0x80, 0x3c) : QColor(0xc0, 0x20, 0x10);
        g.setFont(pixelFont(13));
        g.setPen(digits);
        g.drawText(QRectF(0, 1, w, h / 2.0), Qt::AlignCenter, QStringLiteral("1 2 3"));
        g.setFont(fittingFont(label, 11, w - 6, h / 2));
        g.setPen(ink);
        g.drawText(QRectF(0, h / 2.0 - 1, w, h / 2.0), Qt::AlignCenter, label);
    } else if (p == Picture::Folders) {
        glyph(g, p, QRectF(w / 2.0 - 10, 2, 20, h / 2.0 - 1));
        g.setFont(fittingFont(label, 11, w - 6, h / 2));
        g.setPen(ink);
        g.drawText(QRectF(0, h / 2.0 - 1, w, h / 2.0), Qt::AlignCenter, label);
    } else if (look.size == kLarge) {
        glyph(g, p, QRectF(w * 0.2, 6, w * 0.6, h * 0.5));
        const QRectF text(4, h * 0.56, w - 8, h * 0.42);
        g.setFont(fittingFont(label, 15, int(text.width()), int(text.height())));
        g.setPen(ink);
        g.drawText(text, Qt::AlignCenter, label);
    } else {
        const qreal side = h - 8;
        glyph(g, p, QRectF(4, 4, side, side));
        const QRectF text(side + 7, 1, w - side - 9, h - 2);
        g.setFont(fittingFont(label, 11, int(text.width()), int(text.height())));
        g.setPen(ink);
        g.drawText(text, Qt::AlignVCenter | Qt::AlignHCenter, label);
    }
    return pixmap;
}

}  // namespace

const char* pictureLabel(Picture picture) {
    switch (picture) {
        case Picture::Income:
            return "Income";
        case Picture::AccountsIncome:
        case Picture::AccountsExpense:
            return "Accounts";
        case Picture::Folders:
            return "Folders";
        case Picture::Expenses:
            return "Expenses";
        case Picture::ImportPayments:
            return "Import Payments";
        case Picture::RateChange:
            return "Rate Change";
        case Picture::ExpenseReports:
            return "Expense Reports";
        case Picture::IncomeReports:
            return "Income Reports";
        case Picture::ProfitReports:
            return "Profit Reports";
        case Picture::GeneralLedger:
            return "General Ledger";
        case Picture::Backup:
            return "Backup";
        case Picture::Restore:
            return "Restore";
        case Picture::Archive:
            return "Archive";
        case Picture::DeArchive:
            return "De-Archive";
        case Picture::ReIndex:
            return "Re-Index";
        case Picture::Pack:
            return "Pack";
        case Picture::EraseData:
            return "Erase Data Files";
        case Picture::Upgrade:
            return "Upgrade Data Files";
    }
    return "";
}

QSize pictureSize(Picture picture) {
    return lookOf(picture).size;
}

QPixmap pictureButton(Picture picture) {
    // Kept as images: a pixmap may not outlive the application object, a static cache would.
    static std::map<Picture, QImage> drawn;
    auto it = drawn.find(picture);
    if (it == drawn.end()) it = drawn.emplace(picture, draw(picture).toImage()).first;
    return QPixmap::fromImage(it->second);
}

QPixmap productPicture() {
    QPixmap pixmap(400, 241);
    pixmap.fill(Qt::white);
    QPainter g(&pixmap);
    g.setRenderHint(QPainter::Antialiasing);
    g.setRenderHint(QPainter::TextAntialiasing);
    const QColor navy(0x1f, 0x2f, 0x5c), teal(0x1e, 0x8a, 0x8a), gold(0xd9, 0xa4, 0x2a);

    // An open ledger: two pages on a navy cover, columns of figures, a gold ribbon.
    const QRectF cover(22, 52, 156, 112);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0, 0, 0, 40));
    g.drawRoundedRect(cover.translated(4, 5), 6, 6);
    g.setBrush(navy);
    g.drawRoundedRect(cover, 6, 6);
    for (int side = 0; side < 2; ++side) {
        const QRectF page(cover.left() + 8 + side * 72, cover.top() + 7, 68, cover.height() - 14);
        g.setPen(QPen(QColor(0xc8, 0xc0, 0xa8), 1));
        g.setBrush(QColor(0xfb, 0xf8, 0xee));
        g.drawRect(page);
        g.setPen(QPen(QColor(0xe0, 0x9a, 0x9a), 1));
        g.drawLine(QPointF(page.left() + 44, page.top() + 4),
                   QPointF(page.left() + 44, page.bottom() - 4));
        g.setFont(pixelFont(7, false));
        for (int row = 0; row < 8; ++row) {
            const qreal y = page.top() + 14 + row * 11;
            g.setPen(QPen(QColor(0xa8, 0xc4, 0xe0), 1));
            g.drawLine(QPointF(page.left() + 3, y + 2), QPointF(page.right() - 3, y + 2));
            g.setPen(QColor(0x55, 0x55, 0x66));
            g.drawLine(QPointF(page.left() + 6, y - 2),
                       QPointF(page.left() + 14 + (row * 7 + side * 5) % 22, y - 2));
            g.setPen(row % 3 == 2 ? QColor(0xb0, 0x30, 0x30) : QColor(0x20, 0x60, 0x30));
            g.drawText(QRectF(page.left() + 44, y - 9, 22, 10), Qt::AlignRight,
                       QString::number(12 + (row * 37 + side * 53) % 90));
        }
    }
    g.setPen(Qt::NoPen);
    g.setBrush(gold);
    QPainterPath ribbon;
    ribbon.moveTo(cover.center().x() + 18, cover.top());
    ribbon.lineTo(cover.center().x() + 26, cover.top());
    ribbon.lineTo(cover.center().x() + 26, cover.bottom() + 16);
    ribbon.lineTo(cover.center().x() + 22, cover.bottom() + 11);
    ribbon.lineTo(cover.center().x() + 18, cover.bottom() + 16);
    ribbon.closeSubpath();
    g.drawPath(ribbon);

    // The name.
    g.setPen(teal);
    g.setFont(pixelFont(16, false));
    g.drawText(QRectF(196, 46, 196, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Tarvel"));
    g.setPen(navy);
    g.setFont(pixelFont(32));
    g.drawText(QRectF(194, 66, 206, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Cantabook"));
    g.setPen(QPen(gold, 3));
    g.drawLine(QPointF(197, 116), QPointF(380, 116));
    g.setPen(QColor(0x33, 0x33, 0x33));
    g.setFont(pixelFont(13, false));
    g.drawText(QRectF(197, 124, 200, 20), Qt::AlignLeft, QStringLiteral("Version 1.11"));
    g.setFont(pixelFont(11, false));
    g.setPen(QColor(0x55, 0x55, 0x55));
    g.drawText(QRectF(197, 146, 200, 34), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Income and expense bookkeeping\nfor the small business"));

    // A band along the foot, with room at its right for the OK button.
    g.setPen(Qt::NoPen);
    g.setBrush(navy);
    g.drawRect(QRectF(0, 0, 400, 8));
    g.setBrush(teal);
    g.drawRect(QRectF(0, 8, 400, 3));
    return pixmap;
}

}  // namespace cbk
