// Draws the program's pictures with QPainter, each in its own logical size,
// and writes them at 1x (name.png) and 2x (name@2x.png), so they stay sharp
// at 200% scaling. The program icon is written at the sizes a window icon
// needs instead.
//   make-artwork OUTPUT_FOLDER QRC_FILE     every picture, and the .qrc naming them
//   make-artwork --theme OUTPUT_FOLDER NAME only the program icon, as NAME.png in
//                                           the SIZExSIZE/apps folders of an icon theme
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>

#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

namespace {

using Draw = std::function<void(QPainter &)>;

struct Picture
{
    QString name;
    QSize size; // logical pixels
    Draw draw;
};

QColor rgb(unsigned value)
{
    return QColor(int((value >> 16) & 0xff), int((value >> 8) & 0xff), int(value & 0xff));
}

QImage render(const Picture &picture, qreal scale)
{
    QImage image(qRound(picture.size.width() * scale), qRound(picture.size.height() * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    picture.draw(p);
    p.end();
    return image;
}

// ---- shapes -------------------------------------------------------------

QPainterPath
starPath(QPointF centre, qreal outer, qreal rotationDegrees = -90, int points = 5, qreal innerRatio = 0.382)
{
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const qreal r = (i % 2 == 0) ? outer : outer * innerRatio;
        const qreal a = qDegreesToRadians(rotationDegrees + i * 180.0 / points);
        const QPointF pt(centre.x() + r * qCos(a), centre.y() + r * qSin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

void star(QPainter &p, QPointF centre, qreal outer, const QColor &colour, qreal rotation = -90)
{
    p.fillPath(starPath(centre, outer, rotation), colour);
}

void disc(QPainter &p, QPointF centre, qreal r, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, r, r);
}

// ---- flags: drawn on a 16 x 10 field, placed in a 16 x 16 icon ----------

constexpr qreal FW = 16;
constexpr qreal FH = 10;

void hstripes(QPainter &p, std::initializer_list<QColor> colours)
{
    const qreal h = FH / qreal(colours.size());
    int i = 0;
    for (const QColor &c : colours)
        p.fillRect(QRectF(0, i++ * h, FW, h + 0.01), c);
}

void vstripes(QPainter &p, std::initializer_list<QColor> colours)
{
    const qreal w = FW / qreal(colours.size());
    int i = 0;
    for (const QColor &c : colours)
        p.fillRect(QRectF(i++ * w, 0, w + 0.01, FH), c);
}

// A Scandinavian cross: the vertical bar from x0 to x1, the horizontal one from y0 to y1.
void nordicCross(QPainter &p, qreal x0, qreal x1, qreal y0, qreal y1, const QColor &c)
{
    p.fillRect(QRectF(x0, 0, x1 - x0, FH), c);
    p.fillRect(QRectF(0, y0, FW, y1 - y0), c);
}

Draw flag(const Draw &field)
{
    return [field](QPainter &p) {
        p.save();
        p.translate(0, 3);
        p.setClipRect(QRectF(0, 0, FW, FH));
        field(p);
        p.restore();
        // A faint edge, so white flags stand out on a white list.
        QPen edge(QColor(0, 0, 0, 70));
        edge.setWidthF(0.5);
        edge.setCosmetic(false);
        p.setPen(edge);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.25, 3.25, FW - 0.5, FH - 0.5));
    };
}

void unionJack(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0x012169));
    QPen white(Qt::white, 2.0);
    p.setPen(white);
    p.drawLine(QPointF(0, 0), QPointF(FW, FH));
    p.drawLine(QPointF(FW, 0), QPointF(0, FH));
    QPen red(rgb(0xC8102E), 0.7);
    p.setPen(red);
    p.drawLine(QPointF(0, 0), QPointF(FW, FH));
    p.drawLine(QPointF(FW, 0), QPointF(0, FH));
    p.fillRect(QRectF(FW / 2 - 1.7, 0, 3.4, FH), Qt::white);
    p.fillRect(QRectF(0, FH / 2 - 1.7, FW, 3.4), Qt::white);
    p.fillRect(QRectF(FW / 2 - 1.0, 0, 2.0, FH), rgb(0xC8102E));
    p.fillRect(QRectF(0, FH / 2 - 1.0, FW, 2.0), rgb(0xC8102E));
}

void turkey(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0xE30A17));
    disc(p, QPointF(5.8, 5), 2.9, Qt::white);
    disc(p, QPointF(6.55, 5), 2.35, rgb(0xE30A17));
    star(p, QPointF(9.5, 5), 1.25, Qt::white, 180);
}

void albania(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0xE41E20));
    // The double-headed eagle, as a black silhouette.
    QPainterPath eagle;
    eagle.moveTo(8, 2.2);
    eagle.lineTo(7.1, 1.4);
    eagle.lineTo(6.3, 1.8);
    eagle.lineTo(7.0, 2.6);
    eagle.lineTo(4.0, 2.0);
    eagle.lineTo(4.6, 3.4);
    eagle.lineTo(3.8, 3.9);
    eagle.lineTo(5.2, 5.0);
    eagle.lineTo(7.0, 5.2);
    eagle.lineTo(6.2, 7.2);
    eagle.lineTo(7.4, 6.8);
    eagle.lineTo(8, 8.6);
    eagle.lineTo(8.6, 6.8);
    eagle.lineTo(9.8, 7.2);
    eagle.lineTo(9.0, 5.2);
    eagle.lineTo(10.8, 5.0);
    eagle.lineTo(12.2, 3.9);
    eagle.lineTo(11.4, 3.4);
    eagle.lineTo(12.0, 2.0);
    eagle.lineTo(9.0, 2.6);
    eagle.lineTo(9.7, 1.8);
    eagle.lineTo(8.9, 1.4);
    eagle.closeSubpath();
    p.fillPath(eagle, rgb(0x111111));
}

void saudiArabia(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0x006C35));
    QPen script(Qt::white, 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(script);
    p.setBrush(Qt::NoBrush);
    // A line of writing, suggested by a few strokes, and the sword beneath it.
    QPainterPath writing;
    writing.moveTo(3.5, 4.6);
    writing.cubicTo(4.5, 2.4, 5.2, 5.2, 6.2, 3.2);
    writing.moveTo(6.8, 4.6);
    writing.lineTo(7.2, 2.4);
    writing.moveTo(7.8, 4.6);
    writing.cubicTo(8.6, 3.0, 9.6, 5.0, 10.2, 2.8);
    writing.moveTo(10.8, 4.6);
    writing.lineTo(11.2, 2.4);
    writing.moveTo(3.5, 4.6);
    writing.lineTo(12.5, 4.6);
    p.drawPath(writing);
    p.setPen(QPen(Qt::white, 0.55, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.8, 6.8), QPointF(12.0, 6.8));
    p.drawLine(QPointF(4.6, 6.2), QPointF(4.6, 7.4));
}

void china(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0xDE2910));
    const QColor gold = rgb(0xFFDE00);
    star(p, QPointF(2.7, 2.6), 1.7, gold);
    star(p, QPointF(5.3, 1.0), 0.55, gold, -60);
    star(p, QPointF(6.3, 2.0), 0.55, gold, -80);
    star(p, QPointF(6.3, 3.4), 0.55, gold, -100);
    star(p, QPointF(5.3, 4.4), 0.55, gold, -120);
}

void taiwan(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0xFE0000));
    p.fillRect(QRectF(0, 0, FW / 2, FH / 2), rgb(0x000095));
    const QPointF c(4, 2.5);
    p.fillPath(starPath(c, 1.9, -90, 12, 0.6), Qt::white);
    disc(p, c, 1.0, rgb(0x000095));
    disc(p, c, 0.8, Qt::white);
}

void czechia(QPainter &p)
{
    hstripes(p, {Qt::white, rgb(0xD7141A)});
    QPainterPath wedge;
    wedge.moveTo(0, 0);
    wedge.lineTo(FW / 2, FH / 2);
    wedge.lineTo(0, FH);
    wedge.closeSubpath();
    p.fillPath(wedge, rgb(0x11457E));
}

void greece(QPainter &p)
{
    const QColor blue = rgb(0x0D5EAF);
    const qreal h = FH / 9;
    for (int i = 0; i < 9; ++i)
        p.fillRect(QRectF(0, i * h, FW, h + 0.01), i % 2 ? Qt::white : blue);
    const qreal s = 5 * h;
    p.fillRect(QRectF(0, 0, s, s), blue);
    p.fillRect(QRectF(s / 2 - h / 2, 0, h, s), Qt::white);
    p.fillRect(QRectF(0, s / 2 - h / 2, s, h), Qt::white);
}

void israel(QPainter &p)
{
    const QColor blue = rgb(0x0038B8);
    p.fillRect(QRectF(0, 0, FW, FH), Qt::white);
    p.fillRect(QRectF(0, 0.9, FW, 1.5), blue);
    p.fillRect(QRectF(0, FH - 2.4, FW, 1.5), blue);
    QPen pen(blue, 0.45);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c(8, 5);
    const qreal r = 1.9;
    for (qreal start : {-90.0, 90.0}) {
        QPolygonF triangle;
        for (int i = 0; i < 3; ++i) {
            const qreal a = qDegreesToRadians(start + i * 120.0);
            triangle << QPointF(c.x() + r * qCos(a), c.y() + r * qSin(a));
        }
        p.drawPolygon(triangle);
    }
}

void japan(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), Qt::white);
    disc(p, QPointF(8, 5), 3.0, rgb(0xBC002D));
}

void korea(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), Qt::white);
    const QPointF c(8, 5);
    const qreal r = 2.5;
    p.save();
    p.translate(c);
    p.rotate(33.7);
    QPainterPath red;
    red.moveTo(-r, 0);
    red.arcTo(QRectF(-r, -r, 2 * r, 2 * r), 180, -180);
    red.arcTo(QRectF(0, -r / 2, r, r), 0, -180);
    red.arcTo(QRectF(-r, -r / 2, r, r), 0, 180);
    QPainterPath whole;
    whole.addEllipse(QPointF(0, 0), r, r);
    p.fillPath(whole, rgb(0x0047A0));
    p.fillPath(red, rgb(0xCD2E3A));
    p.restore();
    // The four trigrams, as three short bars each.
    QPen bar(rgb(0x111111), 0.35);
    p.setPen(bar);
    const QPointF corners[] = {{3.2, 1.9}, {12.8, 8.1}, {12.8, 1.9}, {3.2, 8.1}};
    const qreal angles[] = {56.3, 56.3, -56.3, -56.3};
    for (int k = 0; k < 4; ++k) {
        p.save();
        p.translate(corners[k]);
        p.rotate(angles[k]);
        for (int i = -1; i <= 1; ++i)
            p.drawLine(QPointF(-1.0, i * 0.55), QPointF(1.0, i * 0.55));
        p.restore();
    }
}

void iran(QPainter &p)
{
    hstripes(p, {rgb(0x239F40), Qt::white, rgb(0xDA0000)});
    QPen emblem(rgb(0xDA0000), 0.45, Qt::SolidLine, Qt::RoundCap);
    p.setPen(emblem);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7.0, 3.7, 2.0, 2.6), 200 * 16, 140 * 16);
    p.drawArc(QRectF(7.0, 3.7, 2.0, 2.6), -20 * 16, -140 * 16);
    p.drawLine(QPointF(8, 3.6), QPointF(8, 6.3));
}

void brazil(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0x009C3B));
    QPolygonF rhombus;
    rhombus << QPointF(8, 1.0) << QPointF(14.6, 5) << QPointF(8, 9.0) << QPointF(1.4, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xFFDF00));
    p.drawPolygon(rhombus);
    disc(p, QPointF(8, 5), 2.6, rgb(0x002776));
    QPen band(Qt::white, 0.5);
    p.setPen(band);
    p.setBrush(Qt::NoBrush);
    p.setClipRegion(QRegion(QRectF(5.4, 2.4, 5.2, 5.2).toRect(), QRegion::Ellipse), Qt::IntersectClip);
    QPainterPath arc;
    arc.moveTo(5.3, 4.6);
    arc.quadTo(8.5, 3.6, 10.8, 5.8);
    p.drawPath(arc);
}

void portugal(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW * 0.4, FH), rgb(0x006600));
    p.fillRect(QRectF(FW * 0.4, 0, FW * 0.6, FH), rgb(0xFF0000));
    const QPointF c(FW * 0.4, 5);
    QPen ring(rgb(0xFFCC00), 0.7);
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 2.3, 2.3);
    p.setPen(QPen(Qt::white, 0.3));
    p.setBrush(rgb(0xFF0000));
    p.drawRoundedRect(QRectF(c.x() - 1.1, c.y() - 1.4, 2.2, 2.6), 0.6, 0.6);
    p.fillRect(QRectF(c.x() - 0.5, c.y() - 0.7, 1.0, 1.2), Qt::white);
}

void spain(QPainter &p)
{
    p.fillRect(QRectF(0, 0, FW, FH), rgb(0xAA151B));
    p.fillRect(QRectF(0, FH / 4, FW, FH / 2), rgb(0xF1BF00));
    p.fillRect(QRectF(3.6, 3.5, 1.6, 2.1), rgb(0xAA151B));
    p.fillRect(QRectF(3.4, 3.0, 2.0, 0.5), rgb(0xAD8D00));
}

void slovenia(QPainter &p)
{
    hstripes(p, {Qt::white, rgb(0x0000FF), rgb(0xFF0000)});
    QPainterPath shield;
    shield.moveTo(3.0, 1.8);
    shield.lineTo(6.0, 1.8);
    shield.lineTo(6.0, 4.2);
    shield.quadTo(6.0, 5.6, 4.5, 6.0);
    shield.quadTo(3.0, 5.6, 3.0, 4.2);
    shield.closeSubpath();
    p.setPen(QPen(rgb(0xFF0000), 0.3));
    p.setBrush(rgb(0x0000FF));
    p.drawPath(shield);
    QPolygonF mountain;
    mountain << QPointF(3.3, 4.8) << QPointF(4.0, 3.6) << QPointF(4.5, 4.2) << QPointF(5.0, 3.3)
             << QPointF(5.7, 4.8);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(mountain);
}

void slovakia(QPainter &p)
{
    hstripes(p, {Qt::white, rgb(0x0B4EA2), rgb(0xEE1C25)});
    QPainterPath shield;
    shield.moveTo(3.0, 2.0);
    shield.lineTo(7.0, 2.0);
    shield.lineTo(7.0, 5.6);
    shield.quadTo(7.0, 7.6, 5.0, 8.4);
    shield.quadTo(3.0, 7.6, 3.0, 5.6);
    shield.closeSubpath();
    p.setPen(QPen(Qt::white, 0.4));
    p.setBrush(rgb(0xEE1C25));
    p.drawPath(shield);
    p.setClipPath(shield, Qt::IntersectClip);
    disc(p, QPointF(5.0, 9.3), 2.4, rgb(0x0B4EA2));
    p.fillRect(QRectF(4.7, 2.7, 0.6, 4.2), Qt::white);
    p.fillRect(QRectF(3.9, 3.5, 2.2, 0.55), Qt::white);
    p.fillRect(QRectF(3.6, 4.7, 2.8, 0.6), Qt::white);
}

void unitedStates(QPainter &p)
{
    const qreal h = FH / 13;
    for (int i = 0; i < 13; ++i)
        p.fillRect(QRectF(0, i * h, FW, h + 0.01), i % 2 ? Qt::white : rgb(0xB22234));
    p.fillRect(QRectF(0, 0, FW * 0.4, 7 * h), rgb(0x3C3B6E));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col)
            disc(p, QPointF(0.75 + col * 1.25 + (row % 2) * 0.3, 0.75 + row * 1.25), 0.28, Qt::white);
}

void abkhazia(QPainter &p)
{
    const qreal h = FH / 7;
    for (int i = 0; i < 7; ++i)
        p.fillRect(QRectF(0, i * h, FW, h + 0.01), i % 2 ? Qt::white : rgb(0x00993E));
    p.fillRect(QRectF(0, 0, 6.4, 3 * h), rgb(0xC8312A));
    // The open hand under an arc of stars.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2.55, 2.0, 1.3, 1.6), 0.4, 0.4);
    for (int f = 0; f < 4; ++f)
        p.drawRoundedRect(QRectF(2.5 + f * 0.36, 1.15, 0.3, 1.1), 0.15, 0.15);
    for (int s = 0; s < 7; ++s) {
        const qreal a = qDegreesToRadians(200.0 + s * 23.3);
        disc(p, QPointF(3.2 + 2.2 * qCos(a), 2.6 + 1.7 * qSin(a)), 0.2, Qt::white);
    }
}

void india(QPainter &p)
{
    hstripes(p, {rgb(0xFF9933), Qt::white, rgb(0x138808)});
    const QColor navy = rgb(0x000080);
    QPen wheel(navy, 0.3);
    p.setPen(wheel);
    p.setBrush(Qt::NoBrush);
    const QPointF c(8, 5);
    p.drawEllipse(c, 1.35, 1.35);
    QPen spoke(navy, 0.12);
    p.setPen(spoke);
    for (int i = 0; i < 12; ++i) {
        const qreal a = qDegreesToRadians(i * 30.0);
        p.drawLine(c, QPointF(c.x() + 1.3 * qCos(a), c.y() + 1.3 * qSin(a)));
    }
}

void catalonia(QPainter &p)
{
    const qreal h = FH / 9;
    for (int i = 0; i < 9; ++i)
        p.fillRect(QRectF(0, i * h, FW, h + 0.01), i % 2 ? rgb(0xDA121A) : rgb(0xFCDD09));
}

void unknownFlag(QPainter &p)
{
    QLinearGradient g(0, 0, 0, FH);
    g.setColorAt(0, rgb(0xE4E8EE));
    g.setColorAt(1, rgb(0xB8C0CC));
    p.fillRect(QRectF(0, 0, FW, FH), g);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(rgb(0x4A5568));
    p.drawText(QRectF(0, 0, FW, FH), Qt::AlignCenter, QStringLiteral("?"));
}

// ---- icons, 16 x 16 -----------------------------------------------------

QPen outline(const QColor &c, qreal w = 0.8)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void sheet(QPainter &p, const QRectF &r)
{
    p.setPen(outline(rgb(0x5B6573)));
    p.setBrush(Qt::white);
    QPainterPath path;
    const qreal fold = 3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(outline(rgb(0x9AA5B4), 0.7));
    for (qreal y = r.top() + 3.5; y < r.bottom() - 1.2; y += 2)
        p.drawLine(QPointF(r.left() + 1.6, y), QPointF(r.right() - 1.6, y));
}

void iconOpen(QPainter &p)
{
    p.setPen(outline(rgb(0x9A6B00)));
    p.setBrush(rgb(0xE8B030));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    QLinearGradient front(0, 7, 0, 13.5);
    front.setColorAt(0, rgb(0xFFE08A));
    front.setColorAt(1, rgb(0xF5BE3A));
    p.setBrush(front);
    QPolygonF lid;
    lid << QPointF(3.5, 7.5) << QPointF(15.2, 7.5) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(lid);
}

void iconSave(QPainter &p)
{
    p.setPen(outline(rgb(0x1B3F73)));
    QLinearGradient body(0, 1.5, 0, 14.5);
    body.setColorAt(0, rgb(0x4F86D9));
    body.setColorAt(1, rgb(0x2B5DAA));
    p.setBrush(body);
    QPainterPath disk;
    disk.moveTo(1.5, 1.5);
    disk.lineTo(12.5, 1.5);
    disk.lineTo(14.5, 3.5);
    disk.lineTo(14.5, 14.5);
    disk.lineTo(1.5, 14.5);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xDDE6F2));
    p.drawRect(QRectF(4, 1.9, 7.5, 4.6));
    p.setBrush(rgb(0x2B5DAA));
    p.drawRect(QRectF(8.6, 2.6, 1.7, 3.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 9, 9, 5.1));
    p.setPen(outline(rgb(0x9AA5B4), 0.6));
    p.drawLine(QPointF(4.8, 10.8), QPointF(11.2, 10.8));
    p.drawLine(QPointF(4.8, 12.5), QPointF(11.2, 12.5));
}

void iconCopy(QPainter &p)
{
    sheet(p, QRectF(1.5, 1.5, 8.5, 10));
    sheet(p, QRectF(6, 4.5, 8.5, 10));
}

void iconPaste(QPainter &p)
{
    p.setPen(outline(rgb(0x6B4A1E)));
    p.setBrush(rgb(0xC08A45));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1.2, 1.2);
    p.setPen(outline(rgb(0x5B6573), 0.7));
    p.setBrush(rgb(0xC9D1DB));
    p.drawRoundedRect(QRectF(4, 1.2, 5, 2.8), 0.8, 0.8);
    sheet(p, QRectF(6.5, 6, 8, 8.8));
}

void iconCut(QPainter &p)
{
    QPen blade = outline(rgb(0x5B6573), 1.3);
    p.setPen(blade);
    p.drawLine(QPointF(5.3, 10), QPointF(11.5, 1.5));
    p.drawLine(QPointF(10.7, 10), QPointF(4.5, 1.5));
    p.setPen(outline(rgb(0xB0201E), 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.3, 12), 2.3, 2.3);
    p.drawEllipse(QPointF(11.7, 12), 2.3, 2.3);
    disc(p, QPointF(8, 6.3), 0.8, rgb(0x2D3440));
}

void iconDelete(QPainter &p)
{
    p.setPen(outline(rgb(0x8E1512), 3.4));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    p.setPen(outline(rgb(0xE5403A), 2.0));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void iconClear(QPainter &p)
{
    // An eraser, tilted, over a rubbed-out line.
    p.setPen(outline(rgb(0x9AA5B4), 0.8));
    p.drawLine(QPointF(2, 14.5), QPointF(14.5, 14.5));
    p.save();
    p.translate(8.5, 8);
    p.rotate(-40);
    p.setPen(outline(rgb(0x7A2E4A), 0.8));
    p.setBrush(rgb(0xF28DB2));
    p.drawRoundedRect(QRectF(-1.5, -2.8, 7, 5.6), 1, 1);
    p.setBrush(rgb(0x4F86D9));
    p.drawRoundedRect(QRectF(-6.5, -2.8, 5, 5.6), 1, 1);
    p.restore();
}

void iconExit(QPainter &p)
{
    p.setPen(outline(rgb(0x5A3A1A)));
    p.setBrush(rgb(0xA86B32));
    p.drawRect(QRectF(2.5, 1.5, 8, 13));
    disc(p, QPointF(8.6, 8.3), 0.7, rgb(0xFFE08A));
    p.setPen(outline(rgb(0x1E7B34), 2.2));
    p.drawLine(QPointF(7.5, 8), QPointF(13.2, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0x1E7B34));
    QPolygonF head;
    head << QPointF(11.2, 4.5) << QPointF(15.5, 8) << QPointF(11.2, 11.5);
    p.drawPolygon(head);
    p.setPen(outline(rgb(0x2FA84F), 1.0));
    p.drawLine(QPointF(7.8, 8), QPointF(12.8, 8));
}

void roundBadge(QPainter &p, const QColor &light, const QColor &dark, const QString &glyph, bool serif)
{
    QRadialGradient g(QPointF(6.5, 5.5), 9);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(outline(dark.darker(140), 0.8));
    p.setBrush(g);
    p.drawEllipse(QPointF(8, 8), 6.9, 6.9);
    QFont font(serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0.4, 16, 16), Qt::AlignCenter, glyph);
}

void iconHelp(QPainter &p)
{
    roundBadge(p, rgb(0x7FB3FF), rgb(0x1C5BC2), QStringLiteral("?"), false);
}

void iconAbout(QPainter &p)
{
    roundBadge(p, rgb(0x8FD3FF), rgb(0x1673B8), QStringLiteral("i"), true);
}

void iconLanguageFlag(QPainter &p)
{
    p.setPen(outline(rgb(0x5B6573), 1.1));
    p.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 15));
    QPainterPath cloth;
    cloth.moveTo(3, 2);
    cloth.cubicTo(6, 0.5, 9, 3.5, 14.5, 2);
    cloth.lineTo(14.5, 9);
    cloth.cubicTo(9, 10.5, 6, 7.5, 3, 9);
    cloth.closeSubpath();
    QLinearGradient g(3, 0, 14.5, 0);
    g.setColorAt(0, rgb(0x2B7BE4));
    g.setColorAt(1, rgb(0x1A4FA0));
    p.setPen(outline(rgb(0x133B78), 0.7));
    p.setBrush(g);
    p.drawPath(cloth);
    star(p, QPointF(8.7, 5.4), 2.0, rgb(0xFFD84A));
}

void iconFeedback(QPainter &p)
{
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.2, 1.8, 13.6, 9.4), 3, 3);
    QPainterPath tail;
    tail.moveTo(4, 10);
    tail.lineTo(3.5, 14.5);
    tail.lineTo(8, 10.5);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    QLinearGradient g(0, 1.8, 0, 12);
    g.setColorAt(0, rgb(0x5ED47A));
    g.setColorAt(1, rgb(0x239B47));
    p.setPen(outline(rgb(0x17692F), 0.8));
    p.setBrush(g);
    p.drawPath(bubble);
    for (int i = 0; i < 3; ++i)
        disc(p, QPointF(4.8 + i * 3.2, 6.5), 1.0, Qt::white);
}

void iconTick(QPainter &p)
{
    QPainterPath tick;
    tick.moveTo(2.2, 8.6);
    tick.lineTo(6.3, 12.6);
    tick.lineTo(13.8, 3.6);
    p.setPen(outline(rgb(0x1A6B2E), 3.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    p.setPen(outline(rgb(0x3CC25C), 2.0));
    p.drawPath(tick);
}

void iconArrow(QPainter &p)
{
    // Pointing down: the menu opens below the button. Light, for the dark buttons.
    QPolygonF head;
    head << QPointF(3, 5.5) << QPointF(13, 5.5) << QPointF(8, 11);
    p.setPen(outline(rgb(0xB9F5C6), 0.8));
    p.setBrush(rgb(0x7CE08F));
    p.drawPolygon(head);
}

void iconClose(QPainter &p)
{
    // 22 x 22: the popup's close button.
    p.setPen(outline(rgb(0x4A5260), 2.2));
    p.drawLine(QPointF(6.5, 6.5), QPointF(15.5, 15.5));
    p.drawLine(QPointF(15.5, 6.5), QPointF(6.5, 15.5));
}

void face(QPainter &p, bool happy)
{
    // 32 x 32
    QRadialGradient g(QPointF(12, 10), 20);
    g.setColorAt(0, happy ? rgb(0xFFF08A) : rgb(0xFFE3A0));
    g.setColorAt(1, happy ? rgb(0xF4B400) : rgb(0xE58A2B));
    p.setPen(outline(happy ? rgb(0xA86E00) : rgb(0x9A4D10), 1.4));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 14.2, 14.2);
    const QColor ink = rgb(0x3A2A10);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(11.2, 12.5), 1.9, 2.6);
    p.drawEllipse(QPointF(20.8, 12.5), 1.9, 2.6);
    p.setPen(outline(ink, 2.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath mouth;
    if (happy) {
        mouth.moveTo(9.5, 19);
        mouth.quadTo(16, 26.5, 22.5, 19);
    } else {
        mouth.moveTo(10, 24);
        mouth.quadTo(16, 17.5, 22, 24);
        // Brows raised in the middle: sad, not cross.
        p.drawLine(QPointF(8.2, 9.4), QPointF(12.6, 7.6));
        p.drawLine(QPointF(23.8, 9.4), QPointF(19.4, 7.6));
    }
    p.drawPath(mouth);
}

// ---- the program's icon: two overlapping lists ---------------------------

void programIcon(QPainter &p, qreal size)
{
    p.scale(size / 16.0, size / 16.0);
    QLinearGradient bg(0, 0, 16, 16);
    bg.setColorAt(0, rgb(0x1F4E8C));
    bg.setColorAt(1, rgb(0x0F2A4F));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.2, 3.2);
    const QPointF left(6.0, 8), right(10.0, 8);
    const qreal r = 4.3;
    QPainterPath a, b;
    a.addEllipse(left, r, r);
    b.addEllipse(right, r, r);
    p.fillPath(a, QColor(0x4F, 0xA8, 0xFF, 230));
    p.fillPath(b, QColor(0x5E, 0xD4, 0x7A, 230));
    p.fillPath(a.intersected(b), rgb(0xF4F9FF));
    QPen ring(Qt::white, 0.55);
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    p.drawPath(a);
    p.drawPath(b);
}

// ---- pictures of the about window ----------------------------------------

void logo(QPainter &p)
{
    // 344 x 105, for a black background: a mark of falling streaks and the name.
    const QColor lime = rgb(0x39FF6A);
    for (int i = 0; i < 4; ++i) {
        const qreal x = 18 + i * 16;
        const qreal top = 14 + (i % 2) * 16 + (i == 3 ? -8 : 0);
        QLinearGradient g(0, top, 0, top + 62);
        g.setColorAt(0, QColor(0x39, 0xFF, 0x6A, 0));
        g.setColorAt(1, lime);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(x, top, 9, 62), 4.5, 4.5);
        disc(p, QPointF(x + 4.5, top + 66), 5.5, rgb(0xD8FFE0));
    }
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setBold(true);
    name.setPixelSize(50);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    // Whatever the font's width, the name ends inside the picture.
    const qreal room = 344 - 92 - 6;
    const qreal wide = QFontMetricsF(name).horizontalAdvance(QStringLiteral("TANDREL"));
    if (wide > room)
        name.setPixelSize(qFloor(50 * room / wide));
    p.setFont(name);
    QLinearGradient ink(0, 18, 0, 72);
    ink.setColorAt(0, Qt::white);
    ink.setColorAt(1, rgb(0xB8C4D0));
    p.setPen(QPen(QBrush(ink), 1));
    QPainterPath text;
    text.addText(QPointF(92, 68), name, QStringLiteral("TANDREL"));
    p.fillPath(text, ink);
    QFont tagline(QStringLiteral("DejaVu Sans"));
    tagline.setPixelSize(17);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 6.5);
    p.setFont(tagline);
    p.setPen(lime);
    p.drawText(QPointF(96, 94), QStringLiteral("SOFTWARE"));
}

void cat(QPainter &p)
{
    // 320 x 214: a cat under the night sky.
    QLinearGradient sky(0, 0, 0, 214);
    sky.setColorAt(0, rgb(0x0B1430));
    sky.setColorAt(1, rgb(0x233A6B));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, 320, 214), 10, 10);
    const QPointF stars[] = {{30, 28},   {70, 60},  {110, 20}, {262, 36},  {290, 90}, {48, 120},
                             {280, 150}, {200, 22}, {18, 180}, {300, 196}, {90, 170}, {236, 180}};
    for (const QPointF &s : stars)
        star(p, s, 3.2, rgb(0xFFF3B0));
    disc(p, QPointF(262, 52), 22, rgb(0xFFF6D0));
    disc(p, QPointF(272, 46), 20, rgb(0x0E1A3C));

    const QColor fur = rgb(0xF29A38), furDark = rgb(0xB8661A), inner = rgb(0xF7B6C4);
    // Ears
    for (int side : {-1, 1}) {
        QPolygonF ear;
        ear << QPointF(160 + side * 70, 92) << QPointF(160 + side * 72, 22) << QPointF(160 + side * 22, 62);
        p.setPen(QPen(furDark, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(fur);
        p.drawPolygon(ear);
        QPolygonF in;
        in << QPointF(160 + side * 62, 80) << QPointF(160 + side * 66, 38) << QPointF(160 + side * 34, 64);
        p.setPen(Qt::NoPen);
        p.setBrush(inner);
        p.drawPolygon(in);
    }
    // Head
    QRadialGradient head(QPointF(140, 100), 120);
    head.setColorAt(0, rgb(0xFFC074));
    head.setColorAt(1, fur);
    p.setPen(QPen(furDark, 3));
    p.setBrush(head);
    p.drawEllipse(QPointF(160, 122), 92, 78);
    // Stripes on the forehead
    p.setPen(QPen(furDark, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(160, 48), QPointF(160, 70));
    p.drawLine(QPointF(140, 52), QPointF(146, 70));
    p.drawLine(QPointF(180, 52), QPointF(174, 70));
    // Eyes
    for (int side : {-1, 1}) {
        const QPointF c(160 + side * 38, 110);
        p.setPen(QPen(rgb(0x2E3A18), 2.5));
        p.setBrush(rgb(0x9BE15D));
        p.drawEllipse(c, 17, 19);
        p.setPen(Qt::NoPen);
        p.setBrush(rgb(0x141414));
        p.drawEllipse(c, 5.5, 15);
        disc(p, c + QPointF(-5, -8), 4, Qt::white);
    }
    // Muzzle, nose and mouth
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xFFE2C0));
    p.drawEllipse(QPointF(140, 152), 24, 18);
    p.drawEllipse(QPointF(180, 152), 24, 18);
    QPolygonF nose;
    nose << QPointF(150, 136) << QPointF(170, 136) << QPointF(160, 148);
    p.setBrush(rgb(0xE0607E));
    p.setPen(QPen(rgb(0xA33A55), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(nose);
    QPainterPath mouth;
    mouth.moveTo(160, 148);
    mouth.quadTo(158, 162, 144, 160);
    mouth.moveTo(160, 148);
    mouth.quadTo(162, 162, 176, 160);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0x5A3414), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(mouth);
    // Whiskers
    p.setPen(QPen(QColor(255, 255, 255, 230), 2, Qt::SolidLine, Qt::RoundCap));
    for (int side : {-1, 1})
        for (int k = -1; k <= 1; ++k)
            p.drawLine(QPointF(160 + side * 48, 150 + k * 7), QPointF(160 + side * 118, 140 + k * 16));
}

Picture programIconPicture(int size)
{
    return {QString(), QSize(size, size), [size](QPainter &p) { programIcon(p, size); }};
}

// The program icon for the desktop's icon theme (hicolor), at the sizes the
// menus and launchers ask for; the build draws these, nothing commits them.
int writeThemeIcons(const QDir &out, const QString &name)
{
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
        if (!QDir().mkpath(folder) || !render(programIconPicture(size), 1).save(file, "PNG")) {
            std::fprintf(stderr, "make-artwork: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

QString pngName(const QString &name, int scale)
{
    return scale == 1 ? name + QStringLiteral(".png") : name + QStringLiteral("@%1x.png").arg(scale);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const bool theme = argc == 4 && std::strcmp(argv[1], "--theme") == 0;
    if (argc != 3 && !theme) {
        std::fprintf(stderr,
                     "usage: make-artwork OUTPUT_FOLDER QRC_FILE\n"
                     "       make-artwork --theme OUTPUT_FOLDER NAME\n");
        return 2;
    }
    const char *outArgument = argv[theme ? 2 : 1];
    const QDir out(QString::fromLocal8Bit(outArgument));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "make-artwork: cannot create %s\n", outArgument);
        return 1;
    }
    if (theme)
        return writeThemeIcons(out, QString::fromLocal8Bit(argv[3]));

    const QSize icon(16, 16);
    std::vector<Picture> pictures = {
        // The main window's menus and buttons; several are shared with other windows.
        {QStringLiteral("clear"), icon, iconClear},
        {QStringLiteral("open"), icon, iconOpen},
        {QStringLiteral("exit"), icon, iconExit},
        {QStringLiteral("help"), icon, iconHelp},
        {QStringLiteral("flag"), icon, iconLanguageFlag},
        {QStringLiteral("feedback"), icon, iconFeedback},
        {QStringLiteral("about"), icon, iconAbout},
        {QStringLiteral("cut"), icon, iconCut},
        {QStringLiteral("copy"), icon, iconCopy},
        {QStringLiteral("paste"), icon, iconPaste},
        {QStringLiteral("delete"), icon, iconDelete},
        {QStringLiteral("save"), icon, iconSave},
        {QStringLiteral("tick_button"), icon, iconTick},
        {QStringLiteral("arrow"), icon, iconArrow},
        {QStringLiteral("close"), QSize(22, 22), iconClose},
        {QStringLiteral("face_like"), QSize(32, 32), [](QPainter &p) { face(p, true); }},
        {QStringLiteral("face_dislike"), QSize(32, 32), [](QPainter &p) { face(p, false); }},
        {QStringLiteral("tandrel-logo-big-ai-black"), QSize(344, 105), logo},
        {QStringLiteral("cat"), QSize(320, 214), cat},
        // Flags of the language chooser.
        {QStringLiteral("xx"), icon, flag(unknownFlag)},
        {QStringLiteral("english"), icon, flag(unionJack)},
        {QStringLiteral("de"), icon, flag([](QPainter &p) {
             hstripes(p, {rgb(0x000000), rgb(0xDD0000), rgb(0xFFCE00)});
         })},
        {QStringLiteral("fr"), icon, flag([](QPainter &p) {
             vstripes(p, {rgb(0x0055A4), Qt::white, rgb(0xEF4135)});
         })},
        {QStringLiteral("tr"), icon, flag(turkey)},
        {QStringLiteral("al"), icon, flag(albania)},
        {QStringLiteral("sa"), icon, flag(saudiArabia)},
        {QStringLiteral("bg"), icon, flag([](QPainter &p) {
             hstripes(p, {Qt::white, rgb(0x00966E), rgb(0xD62612)});
         })},
        {QStringLiteral("cn"), icon, flag(china)},
        {QStringLiteral("tw"), icon, flag(taiwan)},
        {QStringLiteral("cz"), icon, flag(czechia)},
        {QStringLiteral("nl"), icon, flag([](QPainter &p) {
             hstripes(p, {rgb(0xAE1C28), Qt::white, rgb(0x21468B)});
         })},
        {QStringLiteral("fi"), icon, flag([](QPainter &p) {
             p.fillRect(QRectF(0, 0, FW, FH), Qt::white);
             nordicCross(p, 4.44, 7.11, 3.64, 6.36, rgb(0x003580));
         })},
        {QStringLiteral("gr"), icon, flag(greece)},
        {QStringLiteral("il"), icon, flag(israel)},
        {QStringLiteral("hu"), icon, flag([](QPainter &p) {
             hstripes(p, {rgb(0xCE2939), Qt::white, rgb(0x477050)});
         })},
        {QStringLiteral("it"), icon, flag([](QPainter &p) {
             vstripes(p, {rgb(0x009246), Qt::white, rgb(0xCE2B37)});
         })},
        {QStringLiteral("jp"), icon, flag(japan)},
        {QStringLiteral("kr"), icon, flag(korea)},
        {QStringLiteral("ir"), icon, flag(iran)},
        {QStringLiteral("pl"), icon, flag([](QPainter &p) {
             hstripes(p, {Qt::white, rgb(0xDC143C)});
         })},
        {QStringLiteral("br"), icon, flag(brazil)},
        {QStringLiteral("pt"), icon, flag(portugal)},
        {QStringLiteral("ro"), icon, flag([](QPainter &p) {
             vstripes(p, {rgb(0x002B7F), rgb(0xFCD116), rgb(0xCE1126)});
         })},
        {QStringLiteral("ru"), icon, flag([](QPainter &p) {
             hstripes(p, {Qt::white, rgb(0x0039A6), rgb(0xD52B1E)});
         })},
        {QStringLiteral("si"), icon, flag(slovenia)},
        {QStringLiteral("es"), icon, flag(spain)},
        {QStringLiteral("se"), icon, flag([](QPainter &p) {
             p.fillRect(QRectF(0, 0, FW, FH), rgb(0x006AA7));
             nordicCross(p, 5.0, 7.0, 4.0, 6.0, rgb(0xFECC00));
         })},
        {QStringLiteral("ua"), icon, flag([](QPainter &p) {
             hstripes(p, {rgb(0x0057B7), rgb(0xFFD700)});
         })},
        {QStringLiteral("vi"), icon, flag([](QPainter &p) {
             p.fillRect(QRectF(0, 0, FW, FH), rgb(0xDA251D));
             star(p, QPointF(8, 5.3), 3.2, rgb(0xFFFF00));
         })},
        {QStringLiteral("sk"), icon, flag(slovakia)},
        {QStringLiteral("us"), icon, flag(unitedStates)},
        {QStringLiteral("ab"), icon, flag(abkhazia)},
        {QStringLiteral("no"), icon, flag([](QPainter &p) {
             p.fillRect(QRectF(0, 0, FW, FH), rgb(0xBA0C2F));
             nordicCross(p, 4.36, 7.27, 3.75, 6.25, Qt::white);
             nordicCross(p, 5.09, 6.55, 4.375, 5.625, rgb(0x00205B));
         })},
        {QStringLiteral("ca"), icon, flag(catalonia)},
        {QStringLiteral("in"), icon, flag(india)},
    };

    QStringList files;
    auto save = [&](const QImage &image, const QString &file) {
        if (!image.save(out.filePath(file), "PNG")) {
            std::fprintf(stderr, "make-artwork: cannot write %s\n", qPrintable(out.filePath(file)));
            return false;
        }
        files << file;
        return true;
    };
    for (const Picture &picture : pictures)
        for (int scale : {1, 2})
            if (!save(render(picture, scale), pngName(picture.name, scale)))
                return 1;
    // The window icon wants real pixel sizes rather than scale variants.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!save(render(programIconPicture(size), 1), QStringLiteral("appicon-%1.png").arg(size)))
            return 1;
    }

    QFile qrc(QString::fromLocal8Bit(argv[2]));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "make-artwork: cannot write %s\n", argv[2]);
        return 1;
    }
    const QString relative = QFileInfo(qrc.fileName()).absoluteDir().relativeFilePath(out.absolutePath());
    QTextStream qrcText(&qrc);
    qrcText << "<!-- Written by resources/make-artwork.sh; do not edit. -->\n"
            << "<RCC>\n    <qresource prefix=\"/images\">\n";
    for (const QString &file : files)
        qrcText << "        <file alias=\"" << file << "\">" << relative << '/' << file << "</file>\n";
    qrcText << "    </qresource>\n</RCC>\n";
    return 0;
}
