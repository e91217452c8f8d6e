// Draws the station's pictures: the tile backgrounds, the twelve door frames,
// the shafts, the title bands, the group header, the alarm icon, and the two
// JPEG pictures of the main window. Everything is drawn here from shapes so
// that the artwork is our own and no binary needs to be kept in the tree.
//
//   mkpics <bitmap folder> <picture folder>
//
// Bitmaps are written as bmp<id>.png / ico<id>.png (the resource numbers the
// widgets ask for), the pictures as LoadPic.jpg and LogoPic.jpg.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdint>
#include <cstdio>

#include "pics/BannerText.h"

namespace {

QImage NewImage(int w, int h, QColor fill = Qt::black)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

bool Save(const QImage& img, const QString& path, const char* format = "PNG", int quality = -1)
{
    if (!img.save(path, format, quality)) {
        std::fprintf(stderr, "mkpics: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A sunken display window with a light lower-right bevel.
void DisplayWindow(QPainter& p, const QRect& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 98, 110));
    p.drawRect(r.adjusted(-2, -2, 2, 2));
    p.setBrush(QColor(12, 14, 18));
    p.drawRect(r.adjusted(-2, -2, 1, 1));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(10, 12, 16));
    g.setColorAt(1, QColor(22, 26, 32));
    p.setBrush(g);
    p.drawRect(r);
}

// Tile background, 188 x 184: a landing panel with a name plate, number and
// floor displays, the door portal, a hall lantern and a status strip. The
// places follow the tile's layout fractions so the texts land on dark ground.
QImage TileBackground(QColor top, QColor bottom, QColor accent)
{
    const int w = 188, h = 184;
    QImage img = NewImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);

    QLinearGradient body(0, 0, 0, h);
    body.setColorAt(0, top);
    body.setColorAt(1, bottom);
    p.fillRect(0, 0, w, h, body);
    // Brushed lines.
    for (int x = 0; x < w; x += 3) {
        p.setPen(QColor(255, 255, 255, (x / 3) % 2 ? 10 : 4));
        p.drawLine(x, 0, x, h - 1);
    }
    // Bevel.
    p.setPen(top.lighter(160));
    p.drawLine(0, 0, w - 1, 0);
    p.drawLine(0, 0, 0, h - 1);
    p.setPen(bottom.darker(180));
    p.drawLine(w - 1, 0, w - 1, h - 1);
    p.drawLine(0, h - 1, w - 1, h - 1);
    // Accent stripe along the top.
    p.fillRect(3, 3, w - 6, 4, accent);

    // Name plate (name line: top 0.06h, height 17).
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 20, 26));
    p.drawRoundedRect(QRect(9, 9, w - 18, 21), 3, 3);

    // Number and floor displays (0.15w / 0.6w, top 0.21h, 0.25w x 0.13h).
    DisplayWindow(p, QRect(28, 38, 47, 24));
    DisplayWindow(p, QRect(112, 38, 47, 24));

    // Door portal around the door picture (0.18w, 0.42h, 0.42w x 0.4h).
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 126, 134));
    p.drawRect(QRect(27, 71, 90, 81));
    p.setBrush(QColor(46, 50, 56));
    p.drawRect(QRect(30, 74, 84, 77));

    // Hall lantern behind the indicator (0.74w..0.92w x 0.56h..0.71h).
    DisplayWindow(p, QRect(137, 101, 38, 31));

    // Status strip (0.12w .. w - 0.06w, top 0.835h, height 17).
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 14, 18));
    p.drawRoundedRect(QRect(18, 153, w - 18 - 9, 20), 3, 3);
    return img;
}

// Door frame k of 12 (68 x 70): the car seen from the landing, its two leaves
// drawn k/11 of the way open; frame 0 closed, frame 11 open.
QImage DoorFrame(int k)
{
    const int w = 68, h = 70;
    QImage img = NewImage(w, h, QColor(60, 64, 70));
    QPainter p(&img);

    // Car surround.
    QLinearGradient frame(0, 0, w, 0);
    frame.setColorAt(0, QColor(96, 102, 110));
    frame.setColorAt(0.5, QColor(140, 146, 154));
    frame.setColorAt(1, QColor(96, 102, 110));
    p.fillRect(0, 0, w, h, frame);
    p.setPen(QColor(40, 42, 46));
    p.drawRect(0, 0, w - 1, h - 1);

    // Opening and lit interior behind the leaves.
    const QRect opening(5, 8, 58, 56);
    QLinearGradient inside(opening.topLeft(), opening.bottomLeft());
    inside.setColorAt(0, QColor(250, 240, 205));
    inside.setColorAt(0.75, QColor(214, 198, 160));
    inside.setColorAt(1, QColor(150, 128, 96));
    p.fillRect(opening, inside);
    p.setPen(QColor(170, 150, 110));
    p.drawLine(opening.left(), 40, opening.right(), 40);  // handrail
    p.fillRect(QRect(opening.left(), 56, opening.width(), 8), QColor(120, 96, 70));  // car floor

    // Ceiling light strip.
    p.fillRect(QRect(3, 2, w - 6, 5), QColor(255, 252, 230));
    p.setPen(QColor(200, 196, 170));
    p.drawLine(3, 7, w - 4, 7);

    // Leaves: each is half the opening wide and slides outwards behind the surround.
    const int leafW = opening.width() / 2;
    const int travel = (leafW - 2) * k / 11;
    p.save();
    p.setClipRect(opening);
    for (int side = 0; side < 2; ++side) {
        const int x = side == 0 ? opening.left() - travel : opening.left() + leafW + travel;
        QRect leaf(x, opening.top(), leafW, opening.height());
        QLinearGradient steel(leaf.topLeft(), leaf.topRight());
        steel.setColorAt(0, QColor(150, 158, 168));
        steel.setColorAt(0.5, QColor(200, 206, 214));
        steel.setColorAt(1, QColor(140, 148, 158));
        p.fillRect(leaf, steel);
        p.setPen(QColor(110, 116, 126));
        p.drawRect(leaf.adjusted(0, 0, -1, -1));
        p.setPen(QColor(225, 230, 236));
        p.drawLine(leaf.left() + 6, leaf.top() + 4, leaf.left() + 6, leaf.bottom() - 4);
    }
    p.restore();

    // Sill.
    p.fillRect(QRect(2, 64, w - 4, 4), QColor(52, 54, 58));
    p.setPen(QColor(170, 172, 176));
    p.drawLine(2, 64, w - 3, 64);
    return img;
}

// Shaft, 93 x 517: an indicator panel on top (lift number, symbol and floor
// name are drawn over it), then the hoistway with its rails and ropes.
QImage Shaft()
{
    const int w = 93, h = 517;
    QImage img = NewImage(w, h, QColor(26, 28, 32));
    QPainter p(&img);

    QLinearGradient wall(0, 0, w, 0);
    wall.setColorAt(0, QColor(40, 43, 48));
    wall.setColorAt(0.5, QColor(30, 32, 36));
    wall.setColorAt(1, QColor(40, 43, 48));
    p.fillRect(0, 38, w, h - 38, wall);
    // Landing marks on the walls.
    p.setPen(QColor(52, 56, 62));
    for (int y = 60; y < h - 12; y += 46)
        p.drawLine(2, y, w - 3, y);
    // Guide rails just outside the car's path.
    for (int x : {19, 71}) {
        p.fillRect(x, 38, 3, h - 38, QColor(120, 124, 130));
        p.setPen(QColor(170, 174, 180));
        p.drawLine(x, 38, x, h - 1);
    }
    // Ropes from the machine down the middle.
    p.setPen(QColor(90, 92, 96));
    for (int x : {44, 46, 48})
        p.drawLine(x, 38, x, h - 20);
    // Pit.
    p.fillRect(0, h - 10, w, 10, QColor(18, 18, 20));
    p.fillRect(10, h - 14, 14, 4, QColor(200, 160, 20));
    p.fillRect(68, h - 14, 14, 4, QColor(200, 160, 20));

    // Indicator panel.
    p.fillRect(0, 0, w, 38, QColor(110, 116, 124));
    p.fillRect(2, 2, w - 4, 34, QColor(6, 8, 10));
    p.setPen(QColor(60, 64, 70));
    p.drawLine(2, 35, w - 3, 35);
    return img;
}

// Shaft of a group cell, 110 x 619 (161), stretched over the whole cell: a
// head panel with the name plate, the number and floor windows and the
// direction lantern, the hoistway the car travels in, and a status panel at
// the foot. The places follow the cell layouts (the cell is 108 x 540 or
// 135 x 770), so the texts drawn over it land on dark ground.
QImage GroupShaft()
{
    const int w = 110, h = 619;
    QImage img = NewImage(w, h, QColor(26, 28, 32));
    QPainter p(&img);

    // Head panel.
    QLinearGradient head(0, 0, 0, 90);
    head.setColorAt(0, QColor(70, 80, 96));
    head.setColorAt(1, QColor(40, 46, 56));
    p.fillRect(0, 0, w, 90, head);
    p.fillRect(0, 0, w, 4, QColor(208, 157, 1));
    p.setPen(QColor(110, 120, 136));
    p.drawLine(0, 4, w - 1, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(14, 18, 24));
    p.drawRoundedRect(QRect(3, 30, w - 6, 24), 3, 3);  // name plate
    DisplayWindow(p, QRect(4, 61, 31, 25));             // lift number
    DisplayWindow(p, QRect(63, 61, 44, 25));            // floor
    DisplayWindow(p, QRect(37, 59, 24, 27));            // direction lantern
    p.setPen(QColor(20, 22, 26));
    p.drawLine(0, 89, w - 1, 89);

    // Hoistway.
    QLinearGradient wall(0, 0, w, 0);
    wall.setColorAt(0, QColor(42, 45, 50));
    wall.setColorAt(0.5, QColor(30, 32, 36));
    wall.setColorAt(1, QColor(42, 45, 50));
    p.fillRect(0, 90, w, 470, wall);
    p.setPen(QColor(54, 58, 64));
    for (int y = 120; y < 550; y += 44)
        p.drawLine(2, y, w - 3, y);
    for (int x : {22, 86}) {
        p.fillRect(x, 90, 3, 470, QColor(120, 124, 130));
        p.setPen(QColor(170, 174, 180));
        p.drawLine(x, 90, x, 559);
    }
    p.setPen(QColor(90, 92, 96));
    for (int x : {53, 55, 57})
        p.drawLine(x, 90, x, 540);
    // Pit with its buffers, just below the car's lowest place.
    p.fillRect(0, 552, w, 8, QColor(18, 18, 20));
    p.fillRect(12, 549, 14, 3, QColor(200, 160, 20));
    p.fillRect(84, 549, 14, 3, QColor(200, 160, 20));

    // Status panel at the foot.
    p.fillRect(0, 560, w, h - 560, QColor(110, 116, 124));
    p.fillRect(2, 562, w - 4, h - 564, QColor(8, 10, 14));
    p.setPen(QColor(0, 160, 170));
    p.drawLine(6, h - 4, w - 7, h - 4);
    return img;
}

// Title band, plain (173, 174 x 29) or with a text area (176, 687 x 54).
QImage Band(int w, int h, bool withTextArea)
{
    QImage img = NewImage(w, h);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(44, 62, 92));
    g.setColorAt(0.45, QColor(24, 36, 56));
    g.setColorAt(1, QColor(12, 18, 28));
    p.fillRect(0, 0, w, h, g);
    p.setPen(QColor(90, 120, 170));
    p.drawLine(0, 0, w - 1, 0);
    if (withTextArea) {
        // A lit rule above the text line and a darker well for the text.
        p.fillRect(0, 20, w, 2, QColor(208, 157, 1));
        p.fillRect(3, 23, w - 6, h - 26, QColor(10, 14, 22));
        QLinearGradient glow(0, 0, w, 0);
        glow.setColorAt(0, QColor(0, 200, 220, 160));
        glow.setColorAt(1, QColor(0, 200, 220, 0));
        p.fillRect(0, 2, w / 2, 2, glow);
    } else {
        p.fillRect(0, h - 2, w, 2, QColor(208, 157, 1));
    }
    return img;
}

// Group header (158, 140 x 65): a dark plate with an amber top edge.
QImage Header()
{
    const int w = 140, h = 65;
    QImage img = NewImage(w, h);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(30, 50, 82));
    g.setColorAt(1, QColor(8, 14, 26));
    p.fillRect(0, 0, w, h, g);
    p.fillRect(0, 0, w, 4, QColor(208, 157, 1));
    p.setPen(QColor(70, 100, 150));
    p.drawRect(0, 4, w - 1, h - 5);
    p.setPen(QColor(0, 160, 170));
    p.drawLine(8, h - 6, w - 9, h - 6);
    return img;
}

// Alarm icon (1177, 32 x 32): a red warning triangle with an exclamation mark.
QImage AlarmIcon()
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tri;
    tri.moveTo(16, 2);
    tri.lineTo(30.5, 29);
    tri.lineTo(1.5, 29);
    tri.closeSubpath();
    p.setPen(QPen(QColor(150, 0, 0), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(230, 30, 30));
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 120));
    p.drawRoundedRect(QRectF(14, 10, 4, 11), 1.5, 1.5);
    p.drawEllipse(QRectF(14, 23, 4, 4));
    return img;
}

// Login picture: an estate at dusk, one lift shaft lit in the middle tower.
QImage LoginPicture()
{
    const int w = 1200, h = 600;
    QImage img = NewImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(8, 14, 40));
    sky.setColorAt(0.6, QColor(30, 50, 100));
    sky.setColorAt(1, QColor(90, 70, 90));
    p.fillRect(0, 0, w, h, sky);

    std::uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7fff; };

    struct Tower { int x, width, height; };
    const Tower towers[] = {{40, 150, 300}, {210, 120, 380}, {350, 170, 260}, {545, 150, 470},
                            {715, 130, 340}, {865, 160, 410}, {1045, 130, 290}};
    for (const Tower& t : towers) {
        const int top = h - t.height;
        QLinearGradient face(t.x, 0, t.x + t.width, 0);
        face.setColorAt(0, QColor(22, 26, 40));
        face.setColorAt(1, QColor(36, 42, 60));
        p.fillRect(t.x, top, t.width, t.height, face);
        for (int y = top + 14; y < h - 16; y += 22)
            for (int x = t.x + 10; x < t.x + t.width - 14; x += 18)
                if (next() % 5 < 2)
                    p.fillRect(x, y, 9, 11, QColor(250, 214, 120, 200));
    }
    // The lift shaft of the tallest tower, glowing, with its car half way up.
    const Tower& mid = towers[3];
    const QRect shaft(mid.x + mid.width / 2 - 16, h - mid.height + 20, 32, mid.height - 20);
    QLinearGradient glow(shaft.topLeft(), shaft.topRight());
    glow.setColorAt(0, QColor(0, 180, 220, 60));
    glow.setColorAt(0.5, QColor(0, 220, 255, 140));
    glow.setColorAt(1, QColor(0, 180, 220, 60));
    p.fillRect(shaft, glow);
    p.setPen(QPen(QColor(170, 240, 255), 2));
    p.drawLine(shaft.center().x(), shaft.top(), shaft.center().x(), shaft.top() + 180);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 250, 255));
    p.drawRoundedRect(QRect(shaft.left() + 4, shaft.top() + 180, 24, 32), 3, 3);
    // Ground.
    p.fillRect(0, h - 16, w, 16, QColor(10, 12, 18));
    return img;
}

// Banner picture: a lift glyph and the station's name on black, so that it
// sits on the main window's black band.
QImage BannerPicture()
{
    const int w = 560, h = 72;
    QImage img = NewImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Glyph: a car between two rails with up and down arrows.
    p.setPen(QPen(QColor(120, 130, 140), 3));
    p.drawLine(14, 8, 14, 64);
    p.drawLine(58, 8, 58, 64);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 200, 230));
    p.drawRoundedRect(QRectF(20, 18, 32, 38), 3, 3);
    p.setBrush(QColor(10, 20, 30));
    p.drawRect(QRectF(35, 22, 2, 30));
    p.setBrush(QColor(0, 230, 90));
    QPolygonF up({QPointF(70, 30), QPointF(80, 14), QPointF(90, 30)});
    QPolygonF down({QPointF(70, 42), QPointF(90, 42), QPointF(80, 58)});
    p.drawPolygon(up);
    p.drawPolygon(down);

    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(225, 232, 240));
    p.drawText(QRect(104, 4, w - 108, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(kBannerTitle));
    font.setPixelSize(15);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(208, 157, 1));
    p.drawText(QRect(106, 42, w - 110, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(kBannerSubtitle));
    return img;
}

// Column chart background (179, 56 x 52): a pale sheet, lighter at the top,
// stretched over the whole chart.
QImage ChartBackground()
{
    const int w = 56, h = 52;
    QImage img = NewImage(w, h);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(226, 234, 244));
    p.fillRect(0, 0, w, h, g);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    // Only the banner has text; the offscreen platform is enough for fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkpics <bitmap folder> <picture folder>\n");
        return 2;
    }
    const QDir bmpDir(QString::fromLocal8Bit(argv[1]));
    const QDir picDir(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(bmpDir.path()) || !QDir().mkpath(picDir.path())) {
        std::fprintf(stderr, "mkpics: cannot create the output folders\n");
        return 1;
    }
    auto bmp = [&](const QString& name) { return bmpDir.filePath(name); };

    bool ok = true;
    ok &= Save(TileBackground(QColor(78, 90, 108), QColor(36, 42, 54), QColor(0, 150, 200)), bmp("bmp137.png"));
    ok &= Save(TileBackground(QColor(60, 96, 92), QColor(26, 46, 46), QColor(208, 157, 1)), bmp("bmp181.png"));
    for (int k = 0; k < 12; ++k)
        ok &= Save(DoorFrame(k), bmp(QStringLiteral("bmp%1.png").arg(138 + k)));
    ok &= Save(Header(), bmp("bmp158.png"));
    ok &= Save(Shaft(), bmp("bmp171.png"));
    ok &= Save(GroupShaft(), bmp("bmp161.png"));
    ok &= Save(Band(174, 29, false), bmp("bmp173.png"));
    ok &= Save(Band(687, 54, true), bmp("bmp176.png"));
    ok &= Save(AlarmIcon(), bmp("ico1177.png"));
    ok &= Save(ChartBackground(), bmp("bmp179.png"));
    ok &= Save(LoginPicture().convertToFormat(QImage::Format_RGB32), picDir.filePath("LoadPic.jpg"), "JPG", 88);
    ok &= Save(BannerPicture().convertToFormat(QImage::Format_RGB32), picDir.filePath("LogoPic.jpg"), "JPG", 92);
    return ok ? 0 : 1;
}
