// Vector drawings of the palette's tools on bevelled 25 x 25 buttons, and the program's icon.
#include "platform/PaletteIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>

namespace zorva::platform {

namespace {

constexpr int kSize = 25;

const QColor kInk(32, 36, 44);
const QColor kFace(236, 233, 226);
const QColor kFacePressed(214, 220, 230);
const QColor kLight(255, 255, 255);
const QColor kShadow(150, 146, 138);
const QColor kDark(64, 62, 58);

// ---- button frame ----

void DrawBevel(QPainter& p, bool pressed) {
    p.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient face(0, 0, 0, kSize);
    face.setColorAt(0, pressed ? kFacePressed.darker(104) : kFace.lighter(104));
    face.setColorAt(1, pressed ? kFacePressed : kFace.darker(106));
    p.fillRect(QRect(0, 0, kSize, kSize), face);
    const QColor topLeft = pressed ? kDark : kLight;
    const QColor bottomRight = pressed ? kLight : kDark;
    const QColor innerTopLeft = pressed ? kShadow : kFace.lighter(110);
    const QColor innerBottomRight = pressed ? kFacePressed : kShadow;
    p.setPen(topLeft);
    p.drawLine(0, 0, kSize - 2, 0);
    p.drawLine(0, 0, 0, kSize - 2);
    p.setPen(bottomRight);
    p.drawLine(0, kSize - 1, kSize - 1, kSize - 1);
    p.drawLine(kSize - 1, 0, kSize - 1, kSize - 1);
    p.setPen(innerTopLeft);
    p.drawLine(1, 1, kSize - 3, 1);
    p.drawLine(1, 1, 1, kSize - 3);
    p.setPen(innerBottomRight);
    p.drawLine(1, kSize - 2, kSize - 2, kSize - 2);
    p.drawLine(kSize - 2, 1, kSize - 2, kSize - 2);
    p.setRenderHint(QPainter::Antialiasing, true);
}

QPen Pen(const QColor& c, qreal width = 1.2) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Marching ants: a dark dash over a light gap, so the outline reads on any face.
void DrawAnts(QPainter& p, const QPainterPath& path) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kLight, 1.3));
    p.drawPath(path);
    QPen dash(kInk, 1.3, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dash.setDashPattern({2.0, 1.6});
    p.setPen(dash);
    p.drawPath(path);
}

// ---- the tools (coordinates in the 25 x 25 button) ----

void DrawFreehandSelection(QPainter& p) {
    QPainterPath lasso;
    lasso.moveTo(6.0, 11.0);
    lasso.cubicTo(4.5, 5.5, 13.0, 3.5, 18.0, 5.5);
    lasso.cubicTo(22.0, 7.5, 20.5, 13.5, 15.5, 14.5);
    lasso.cubicTo(11.0, 15.5, 7.0, 15.0, 6.0, 11.0);
    DrawAnts(p, lasso);
    // The rope's tail, with its knot.
    QPainterPath tail;
    tail.moveTo(8.5, 14.8);
    tail.cubicTo(9.5, 17.5, 6.0, 18.0, 7.0, 20.5);
    p.setPen(Pen(QColor(150, 96, 40), 1.4));
    p.drawPath(tail);
    p.setBrush(QColor(150, 96, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8.4, 14.9), 1.3, 1.3);
}

void DrawPolygonSelection(QPainter& p) {
    QPainterPath poly;
    poly.addPolygon(QPolygonF({{5.0, 8.0}, {12.5, 4.5}, {20.0, 9.5}, {17.5, 19.5}, {7.5, 17.0}}));
    poly.closeSubpath();
    DrawAnts(p, poly);
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(kLight);
    for (QPointF v :
         {QPointF(5.0, 8.0), QPointF(12.5, 4.5), QPointF(20.0, 9.5), QPointF(17.5, 19.5), QPointF(7.5, 17.0)})
        p.drawRect(QRectF(v.x() - 1.2, v.y() - 1.2, 2.4, 2.4));
}

void DrawRectangleSelection(QPainter& p) {
    QPainterPath rect;
    rect.addRect(QRectF(4.5, 6.5, 16.0, 12.0));
    DrawAnts(p, rect);
}

void DrawEraser(QPainter& p) {
    p.save();
    p.translate(12.5, 12.5);
    p.rotate(-35);
    const QRectF body(-8.0, -4.0, 16.0, 8.0);
    QLinearGradient pink(0, -4, 0, 4);
    pink.setColorAt(0, QColor(255, 170, 180));
    pink.setColorAt(1, QColor(222, 102, 122));
    p.setPen(Pen(QColor(120, 40, 56), 1.0));
    p.setBrush(pink);
    p.drawRoundedRect(body, 1.5, 1.5);
    // The sleeve around the back half.
    QLinearGradient sleeve(0, -4, 0, 4);
    sleeve.setColorAt(0, QColor(120, 170, 235));
    sleeve.setColorAt(1, QColor(40, 90, 170));
    p.setBrush(sleeve);
    p.drawRect(QRectF(0.5, -4.0, 5.5, 8.0));
    p.restore();
    // Crumbs.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 120, 130));
    p.drawEllipse(QPointF(5.0, 20.0), 0.9, 0.9);
    p.drawEllipse(QPointF(8.0, 21.0), 0.7, 0.7);
}

void DrawFill(QPainter& p) {
    // A tilted bucket ...
    p.save();
    p.translate(11.0, 13.0);
    p.rotate(-30);
    QPolygonF bucket({{-5.5, -4.5}, {5.5, -4.5}, {4.3, 6.0}, {-4.3, 6.0}});
    QLinearGradient metal(-5.5, 0, 5.5, 0);
    metal.setColorAt(0, QColor(205, 210, 218));
    metal.setColorAt(0.5, QColor(250, 250, 252));
    metal.setColorAt(1, QColor(150, 156, 166));
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(metal);
    p.drawPolygon(bucket);
    p.setBrush(QColor(40, 120, 230));
    p.drawEllipse(QPointF(0.0, -4.5), 5.5, 1.6);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-4.5, -9.5, 9.0, 9.0), 20 * 16, 140 * 16);  // the handle
    p.restore();
    // ... pouring paint.
    QPainterPath pour;
    pour.moveTo(16.5, 8.5);
    pour.cubicTo(20.5, 9.5, 21.0, 14.0, 20.0, 17.0);
    pour.lineTo(19.0, 17.0);
    pour.cubicTo(19.5, 14.0, 18.5, 11.0, 15.5, 10.5);
    pour.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 120, 230));
    p.drawPath(pour);
    QPainterPath drop;
    drop.moveTo(19.5, 18.0);
    drop.cubicTo(21.5, 20.5, 21.0, 22.0, 19.5, 22.0);
    drop.cubicTo(18.0, 22.0, 17.5, 20.5, 19.5, 18.0);
    p.drawPath(drop);
}

void DrawColourPicker(QPainter& p) {
    p.save();
    p.translate(12.5, 12.5);
    p.rotate(45);
    // Glass tube with red liquid, then the rubber bulb.
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(QColor(235, 245, 250));
    p.drawRoundedRect(QRectF(-1.8, -2.0, 3.6, 10.0), 1.0, 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 40));
    p.drawRect(QRectF(-1.0, 3.5, 2.0, 4.0));
    QPainterPath tip;
    tip.moveTo(-1.2, 8.0);
    tip.lineTo(1.2, 8.0);
    tip.lineTo(0.0, 11.0);
    tip.closeSubpath();
    p.setPen(Pen(kInk, 0.9));
    p.setBrush(QColor(220, 40, 40));
    p.drawPath(tip);
    p.setBrush(kDark);
    p.drawRoundedRect(QRectF(-3.0, -4.0, 6.0, 2.5), 0.8, 0.8);
    QRadialGradient bulb(QPointF(-1.0, -8.0), 4.0);
    bulb.setColorAt(0, QColor(110, 110, 120));
    bulb.setColorAt(1, QColor(30, 30, 36));
    p.setBrush(bulb);
    p.drawEllipse(QRectF(-2.6, -10.5, 5.2, 7.0));
    p.restore();
}

void DrawZoom(QPainter& p) {
    // Handle first, so the lens rim covers its end.
    p.setPen(QPen(QColor(70, 46, 26), 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.0, 15.0), QPointF(20.5, 20.5));
    QRadialGradient glass(QPointF(8.5, 8.5), 7.5);
    glass.setColorAt(0, QColor(255, 255, 255));
    glass.setColorAt(1, QColor(150, 200, 240));
    p.setPen(Pen(kInk, 1.8));
    p.setBrush(glass);
    p.drawEllipse(QPointF(10.5, 10.5), 6.0, 6.0);
    p.setPen(Pen(kInk, 1.3));
    p.drawLine(QPointF(8.0, 10.5), QPointF(13.0, 10.5));
    p.drawLine(QPointF(10.5, 8.0), QPointF(10.5, 13.0));
}

void DrawPencil(QPainter& p) {
    p.save();
    p.translate(12.5, 12.5);
    p.rotate(45);
    // Body along the y axis: eraser end at the top, point at the bottom.
    QLinearGradient yellow(-2.5, 0, 2.5, 0);
    yellow.setColorAt(0, QColor(255, 225, 90));
    yellow.setColorAt(1, QColor(225, 160, 20));
    p.setPen(Pen(kInk, 0.9));
    p.setBrush(yellow);
    p.drawRect(QRectF(-2.5, -9.5, 5.0, 13.0));
    p.setBrush(QColor(240, 140, 150));
    p.drawRect(QRectF(-2.5, -11.5, 5.0, 2.0));
    QPainterPath wood;
    wood.moveTo(-2.5, 3.5);
    wood.lineTo(2.5, 3.5);
    wood.lineTo(0.0, 9.5);
    wood.closeSubpath();
    p.setBrush(QColor(240, 205, 150));
    p.drawPath(wood);
    QPainterPath lead;
    lead.moveTo(-1.0, 7.1);
    lead.lineTo(1.0, 7.1);
    lead.lineTo(0.0, 9.5);
    lead.closeSubpath();
    p.setBrush(kInk);
    p.drawPath(lead);
    p.restore();
}

void DrawBrush(QPainter& p) {
    p.save();
    p.translate(12.5, 12.5);
    p.rotate(45);
    p.setPen(Pen(kInk, 0.9));
    QLinearGradient wood(-1.8, 0, 1.8, 0);
    wood.setColorAt(0, QColor(190, 110, 50));
    wood.setColorAt(1, QColor(120, 60, 20));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(-1.6, -11.5, 3.2, 11.0), 1.4, 1.4);
    QLinearGradient ferrule(-2.4, 0, 2.4, 0);
    ferrule.setColorAt(0, QColor(230, 232, 236));
    ferrule.setColorAt(1, QColor(130, 136, 146));
    p.setBrush(ferrule);
    p.drawRect(QRectF(-2.4, -1.0, 4.8, 3.5));
    QPainterPath bristles;
    bristles.moveTo(-2.4, 2.5);
    bristles.cubicTo(-2.8, 6.0, -1.0, 9.5, 0.0, 11.0);
    bristles.cubicTo(1.0, 9.5, 2.8, 6.0, 2.4, 2.5);
    bristles.closeSubpath();
    p.setBrush(QColor(30, 150, 80));
    p.drawPath(bristles);
    p.restore();
}

void DrawText(QPainter& p) {
    QFont font("DejaVu Serif");
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(0, 0, kSize, kSize - 1), Qt::AlignCenter, QStringLiteral("A"));
    // The text cursor beside the letter.
    p.setPen(QPen(QColor(40, 110, 220), 1.2));
    p.drawLine(QPointF(20.0, 6.0), QPointF(20.0, 19.0));
}

void DrawLine(QPainter& p) {
    p.setPen(Pen(kInk, 1.8));
    p.drawLine(QPointF(5.0, 19.5), QPointF(19.5, 5.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 220));
    p.drawEllipse(QPointF(5.0, 19.5), 1.8, 1.8);
    p.drawEllipse(QPointF(19.5, 5.0), 1.8, 1.8);
}

void DrawCurve(QPainter& p) {
    QPainterPath s;
    s.moveTo(4.5, 19.0);
    s.cubicTo(6.0, 4.0, 12.5, 4.5, 12.5, 12.5);
    s.cubicTo(12.5, 20.5, 19.0, 21.0, 20.5, 6.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kInk, 1.8));
    p.drawPath(s);
}

void DrawRectangle(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(5.0, 7.0, 15.0, 11.0));
}

void DrawPolygon(QPainter& p) {
    const QPolygonF shape({{5.0, 10.0}, {11.5, 4.5}, {20.0, 8.0}, {18.5, 19.5}, {9.0, 20.0}});
    p.setBrush(QColor(255, 214, 120, 110));
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(shape);
}

}  // namespace

QPixmap ToolButtonPicture(int k, bool pressed, qreal pixelRatio) {
    QPixmap pixmap(int(std::ceil(kSize * pixelRatio)), int(std::ceil(kSize * pixelRatio)));
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(kFace);
    QPainter p(&pixmap);
    DrawBevel(p, pressed);
    // A pressed button's picture sinks with it.
    if (pressed) p.translate(1, 1);
    switch (k) {
        case 1:
            DrawFreehandSelection(p);
            break;
        case 2:
            DrawPolygonSelection(p);
            break;
        case 3:
            DrawRectangleSelection(p);
            break;
        case 4:
            DrawEraser(p);
            break;
        case 5:
            DrawFill(p);
            break;
        case 6:
            DrawColourPicker(p);
            break;
        case 7:
            DrawZoom(p);
            break;
        case 8:
            DrawPencil(p);
            break;
        case 9:
            DrawBrush(p);
            break;
        case 10:
            DrawText(p);
            break;
        case 11:
            DrawLine(p);
            break;
        case 12:
            DrawCurve(p);
            break;
        case 13:
            DrawRectangle(p);
            break;
        case 14:
            DrawPolygon(p);
            break;
        default:
            break;
    }
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        // The photo: sky, sun and hills in a white frame.
        p.setPen(QPen(QColor(40, 44, 52), 2.0));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(3, 7, 50, 40), 3, 3);
        QLinearGradient sky(0, 11, 0, 43);
        sky.setColorAt(0, QColor(80, 150, 230));
        sky.setColorAt(1, QColor(190, 225, 250));
        p.setPen(Qt::NoPen);
        p.setBrush(sky);
        p.drawRect(QRectF(7, 11, 42, 32));
        p.setBrush(QColor(255, 200, 40));
        p.drawEllipse(QPointF(38, 19), 4.5, 4.5);
        QPainterPath hills;
        hills.moveTo(7, 43);
        hills.lineTo(7, 33);
        hills.cubicTo(15, 24, 22, 26, 28, 33);
        hills.cubicTo(34, 27, 42, 26, 49, 34);
        hills.lineTo(49, 43);
        hills.closeSubpath();
        p.setBrush(QColor(50, 150, 70));
        p.drawPath(hills);
        // The lens of the machine-vision half.
        p.setPen(QPen(QColor(70, 46, 26), 7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(50, 50), QPointF(59, 59));
        QRadialGradient glass(QPointF(40, 38), 14);
        glass.setColorAt(0, QColor(255, 255, 255, 120));
        glass.setColorAt(1, QColor(150, 200, 240, 150));
        p.setPen(QPen(QColor(40, 44, 52), 4));
        p.setBrush(glass);
        p.drawEllipse(QPointF(42, 40), 12, 12);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

namespace {

// The picture of the rotation dialog's illustrations: a landscape photo
// that tells up from down and left from right (the sun at its top left,
// a house at its right), centred in the box.
void DrawLandscape(QPainter& p) {
    const QRectF photo(9, 16, 46, 32);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(photo.translated(1.5, 1.5), 1.5, 1.5);
    p.setBrush(kLight);
    p.setPen(QPen(kShadow, 1));
    p.drawRoundedRect(photo, 1.5, 1.5);
    const QRectF inside = photo.adjusted(2.5, 2.5, -2.5, -2.5);
    QLinearGradient sky(inside.topLeft(), inside.bottomLeft());
    sky.setColorAt(0, QColor(70, 140, 225));
    sky.setColorAt(1, QColor(195, 228, 250));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(inside);
    p.save();
    p.setClipRect(inside);
    p.setBrush(QColor(255, 196, 40));
    p.drawEllipse(QPointF(inside.left() + 8, inside.top() + 7), 4.5, 4.5);
    QPainterPath ground;
    ground.moveTo(inside.left(), inside.bottom());
    ground.lineTo(inside.left(), inside.bottom() - 8);
    ground.cubicTo(inside.left() + 12, inside.bottom() - 13, inside.left() + 24, inside.bottom() - 6, inside.right(),
                   inside.bottom() - 10);
    ground.lineTo(inside.right(), inside.bottom());
    ground.closeSubpath();
    p.setBrush(QColor(60, 155, 75));
    p.drawPath(ground);
    // The house: a wall, a roof and a door on the right-hand slope.
    const QRectF wall(inside.right() - 14, inside.bottom() - 19, 10, 9);
    p.setBrush(QColor(236, 222, 196));
    p.setPen(QPen(kDark, 0.8));
    p.drawRect(wall);
    QPolygonF roof;
    roof << QPointF(wall.left() - 2, wall.top()) << QPointF(wall.center().x(), wall.top() - 6)
         << QPointF(wall.right() + 2, wall.top());
    p.setBrush(QColor(190, 60, 45));
    p.drawPolygon(roof);
    p.setBrush(QColor(110, 70, 40));
    p.drawRect(QRectF(wall.left() + 2, wall.bottom() - 5, 3, 5));
    p.restore();
}

}  // namespace

QPixmap IllustrationPicture(int number, qreal pixelRatio) {
    QPixmap picture(QSize(kIllustrationSize, kIllustrationSize) * pixelRatio);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    // 751 the picture as it is; 752 turned left, 753 right, 754 upside
    // down, 755 mirrored.
    if (number < 751 || number > 755) return picture;
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal centre = kIllustrationSize / 2.0;
    p.translate(centre, centre);
    switch (number) {
        case 752:
            p.rotate(-90);
            break;
        case 753:
            p.rotate(90);
            break;
        case 754:
            p.rotate(180);
            break;
        case 755:
            p.scale(-1, 1);
            break;
        default:
            break;
    }
    p.translate(-centre, -centre);
    DrawLandscape(p);
    return picture;
}

}  // namespace zorva::platform
