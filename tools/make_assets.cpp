// Draws the program's own pictures and writes them into the folder given on
// the command line: the JPEG pictures of the windows, the application icon and
// the validity clock's Motion-JPEG animation "Clock.avi".
//
//   kv_make_assets <assets folder>
//
// The output depends only on this file, so running it again gives the same
// pictures. JPEG files are written with libjpeg.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

const QColor PanelGrey(239, 239, 239);

QByteArray encodeJpeg(const QImage &source, int quality, bool fullChroma) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errorManager;
    cinfo.err = jpeg_std_error(&errorManager);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    if (fullChroma) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    std::printf("%-22s %6lld bytes\n", qPrintable(QFileInfo(path).fileName()),
                static_cast<long long>(bytes.size()));
}

QImage canvas(int width, int height, const QColor &fill = PanelGrey) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// ---- the side picture: a calm valley at dusk, 265 x 273 ----

void pine(QPainter &p, qreal x, qreal base, qreal height, const QColor &colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(140));
    p.drawRect(QRectF(x - 1.2, base - height * 0.18, 2.4, height * 0.18));
    p.setBrush(colour);
    for (int layer = 0; layer < 3; ++layer) {
        const qreal top = base - height + layer * height * 0.22;
        const qreal bottom = top + height * 0.45;
        const qreal half = height * (0.17 + layer * 0.06);
        QPolygonF tier;
        tier << QPointF(x, top) << QPointF(x + half, bottom) << QPointF(x - half, bottom);
        p.drawPolygon(tier);
    }
}

void roundTree(QPainter &p, qreal x, qreal base, qreal radius, const QColor &colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 84, 62));
    p.drawRect(QRectF(x - 1.5, base - radius * 1.1, 3, radius * 1.1));
    p.setBrush(colour);
    p.drawEllipse(QPointF(x, base - radius * 1.5), radius, radius * 0.95);
    p.setBrush(colour.lighter(118));
    p.drawEllipse(QPointF(x - radius * 0.35, base - radius * 1.75), radius * 0.45, radius * 0.4);
}

void bird(QPainter &p, qreal x, qreal y, qreal span) {
    QPainterPath path;
    path.moveTo(x - span, y - span * 0.3);
    path.quadTo(x - span * 0.45, y - span * 0.6, x, y);
    path.quadTo(x + span * 0.45, y - span * 0.6, x + span, y - span * 0.3);
    p.setPen(QPen(QColor(70, 78, 96), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

QImage sidePicture() {
    const int w = 265, h = 273;
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 175);
    sky.setColorAt(0.0, QColor(122, 158, 196));
    sky.setColorAt(0.55, QColor(196, 206, 222));
    sky.setColorAt(1.0, QColor(246, 218, 190));
    p.fillRect(QRect(0, 0, w, 180), sky);

    QRadialGradient glow(QPointF(196, 118), 60);
    glow.setColorAt(0.0, QColor(255, 244, 214, 230));
    glow.setColorAt(0.3, QColor(255, 226, 180, 120));
    glow.setColorAt(1.0, QColor(255, 226, 180, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(196, 118), 60, 60);
    p.setBrush(QColor(255, 246, 222));
    p.drawEllipse(QPointF(196, 118), 14, 14);

    const struct {
        qreal x, y, rx, ry;
    } clouds[] = {{34, 36, 26, 7},  {52, 31, 16, 7},  {128, 58, 30, 6},
                  {146, 53, 15, 6}, {232, 28, 24, 6}, {90, 92, 20, 4}};
    p.setBrush(QColor(255, 255, 255, 150));
    for (const auto &c : clouds)
        p.drawEllipse(QPointF(c.x, c.y), c.rx, c.ry);

    bird(p, 70, 70, 5);
    bird(p, 82, 63, 4);
    bird(p, 150, 42, 4);
    bird(p, 160, 47, 3);
    p.setPen(Qt::NoPen);

    // distant mountains with snow
    QPolygonF far;
    far << QPointF(0, 150) << QPointF(22, 118) << QPointF(40, 130) << QPointF(70, 92)
        << QPointF(96, 126) << QPointF(118, 112) << QPointF(150, 140) << QPointF(184, 104)
        << QPointF(210, 124) << QPointF(236, 96) << QPointF(265, 130) << QPointF(265, 180)
        << QPointF(0, 180);
    QLinearGradient farFill(0, 90, 0, 180);
    farFill.setColorAt(0, QColor(140, 152, 178));
    farFill.setColorAt(1, QColor(176, 180, 198));
    p.setBrush(farFill);
    p.drawPolygon(far);
    p.setBrush(QColor(244, 244, 250));
    for (const QPolygonF &cap :
         {QPolygonF{QPointF(70, 92), QPointF(79, 103), QPointF(72, 100), QPointF(66, 104),
                    QPointF(62, 101)},
          QPolygonF{QPointF(236, 96), QPointF(245, 105), QPointF(238, 103), QPointF(232, 106),
                    QPointF(228, 103)},
          QPolygonF{QPointF(184, 104), QPointF(190, 111), QPointF(185, 109), QPointF(180, 111)}})
        p.drawPolygon(cap);

    // middle hills
    QPainterPath hills;
    hills.moveTo(0, 168);
    hills.cubicTo(40, 150, 70, 162, 110, 158);
    hills.cubicTo(150, 154, 180, 140, 220, 152);
    hills.cubicTo(240, 158, 255, 150, 265, 148);
    hills.lineTo(265, 215);
    hills.lineTo(0, 215);
    hills.closeSubpath();
    QLinearGradient hillFill(0, 140, 0, 215);
    hillFill.setColorAt(0, QColor(150, 178, 140));
    hillFill.setColorAt(1, QColor(112, 146, 110));
    p.setBrush(hillFill);
    p.drawPath(hills);

    // a small house on the hill
    p.setBrush(QColor(236, 226, 208));
    p.drawRect(QRectF(128, 162, 14, 10));
    p.setBrush(QColor(176, 84, 68));
    p.drawPolygon(QPolygonF{QPointF(126, 163), QPointF(135, 154), QPointF(144, 163)});
    p.setBrush(QColor(250, 214, 120));
    p.drawRect(QRectF(131, 165, 3, 3));

    // the lake
    QLinearGradient water(0, 196, 0, 232);
    water.setColorAt(0, QColor(176, 196, 214));
    water.setColorAt(1, QColor(118, 150, 178));
    QPainterPath lake;
    lake.moveTo(0, 200);
    lake.cubicTo(60, 192, 200, 194, 265, 198);
    lake.lineTo(265, 236);
    lake.lineTo(0, 236);
    lake.closeSubpath();
    p.setBrush(water);
    p.drawPath(lake);
    p.setPen(QPen(QColor(255, 236, 200, 170), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        const qreal y = 202 + i * 5;
        const qreal half = 12 - i * 1.5;
        p.drawLine(QPointF(196 - half, y), QPointF(196 + half, y));
    }
    p.setPen(Qt::NoPen);

    // a boat
    p.setBrush(QColor(92, 72, 60));
    p.drawPolygon(
        QPolygonF{QPointF(52, 212), QPointF(72, 212), QPointF(68, 216), QPointF(56, 216)});
    p.setPen(QPen(QColor(92, 72, 60), 1));
    p.drawLine(QPointF(62, 212), QPointF(62, 199));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(246, 240, 228));
    p.drawPolygon(QPolygonF{QPointF(63, 200), QPointF(71, 210), QPointF(63, 210)});

    // foreground meadow with a path
    QPainterPath meadow;
    meadow.moveTo(0, 232);
    meadow.cubicTo(50, 222, 100, 236, 150, 230);
    meadow.cubicTo(200, 224, 235, 232, 265, 226);
    meadow.lineTo(265, 273);
    meadow.lineTo(0, 273);
    meadow.closeSubpath();
    QLinearGradient grass(0, 222, 0, 273);
    grass.setColorAt(0, QColor(104, 142, 98));
    grass.setColorAt(1, QColor(70, 104, 72));
    p.setBrush(grass);
    p.drawPath(meadow);

    QPainterPath way;
    way.moveTo(118, 273);
    way.cubicTo(128, 256, 160, 248, 150, 234);
    way.lineTo(156, 233);
    way.cubicTo(170, 248, 146, 258, 140, 273);
    way.closeSubpath();
    p.setBrush(QColor(214, 196, 160));
    p.drawPath(way);

    // trees along the shore and in the meadow
    const QColor pineGreen(56, 94, 70);
    pine(p, 12, 236, 34, pineGreen);
    pine(p, 26, 238, 26, pineGreen.lighter(110));
    pine(p, 92, 160, 22, QColor(90, 124, 96));
    pine(p, 100, 162, 16, QColor(90, 124, 96));
    pine(p, 250, 232, 38, pineGreen);
    pine(p, 238, 234, 28, pineGreen.lighter(112));
    roundTree(p, 176, 236, 11, QColor(84, 128, 80));
    roundTree(p, 206, 158, 7, QColor(110, 146, 100));
    roundTree(p, 44, 258, 9, QColor(78, 120, 76));

    // a few flowers
    const QColor petals[] = {QColor(236, 214, 110), QColor(232, 170, 180), QColor(250, 250, 240)};
    for (int i = 0; i < 24; ++i) {
        const qreal x = 6 + (i * 53) % 255;
        const qreal y = 248 + (i * 17) % 22;
        p.setBrush(petals[i % 3]);
        p.drawEllipse(QPointF(x, y), 1.6, 1.6);
    }
    return image;
}

// ---- the strip's foot: a meadow running down into quiet water, 69 x 259 ----
// It fills the strip below the side picture, whose lower edge is meadow too.

QImage stripFoot() {
    constexpr int height = 259;
    QImage image = canvas(69, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, height);
    ground.setColorAt(0, QColor(96, 140, 84));
    ground.setColorAt(0.45, QColor(70, 104, 72));
    ground.setColorAt(1, QColor(58, 80, 96));
    p.fillRect(image.rect(), ground);
    // Grass blades in the meadow.
    p.setPen(QPen(QColor(128, 172, 104, 150), 1.2));
    for (int i = 0; i < 26; ++i) {
        const qreal x = (i * 29) % 69 + 0.5;
        const qreal y = 12 + (i * 37) % 96;
        p.drawLine(QPointF(x, y), QPointF(x + 1.5, y - 5));
    }
    p.setPen(Qt::NoPen);
    const QColor flowers[] = {QColor(236, 214, 110), QColor(232, 170, 180), QColor(250, 250, 240)};
    for (int i = 0; i < 14; ++i) {
        p.setBrush(flowers[i % 3]);
        p.drawEllipse(QPointF((i * 23) % 65 + 2, 8 + (i * 41) % 100), 1.7, 1.7);
    }
    // The water: waves growing lighter towards the bottom.
    for (int band = 0; band < 8; ++band) {
        QPainterPath wave;
        const qreal y = 124 + band * 17;
        wave.moveTo(0, y);
        wave.cubicTo(18, y - 7, 40, y + 7, 69, y - 2);
        p.setPen(QPen(QColor(190, 214, 196, 60 + band * 18), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }
    return image;
}

// ---- the hot "clear the fields" picture, 22 x 22 ----

QImage eraser(bool highlighted) {
    QImage image = canvas(22, 22);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (highlighted) {
        p.setPen(QPen(QColor(150, 186, 232), 1));
        p.setBrush(QColor(252, 253, 255));
        p.drawRoundedRect(QRectF(0.5, 0.5, 21, 21), 3, 3);
    }
    p.setPen(QPen(QColor(170, 170, 170), 1.2));
    p.drawLine(QPointF(4, 18.5), QPointF(18, 18.5));
    p.translate(11, 10.5);
    p.rotate(-35);
    const QColor outline = highlighted ? QColor(78, 128, 208) : QColor(90, 90, 96);
    p.setPen(QPen(outline, 1.1));
    p.setBrush(highlighted ? QColor(255, 150, 176) : QColor(214, 136, 150));
    p.drawRect(QRectF(-7.5, -3.5, 7, 7));
    p.setBrush(highlighted ? QColor(176, 214, 255) : QColor(150, 178, 208));
    p.drawRect(QRectF(-0.5, -3.5, 8, 7));
    return image;
}

// ---- message icons, 32 x 32 ----

QImage alertIcon() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 3, 0, 29);
    fill.setColorAt(0, QColor(255, 222, 96));
    fill.setColorAt(1, QColor(238, 168, 40));
    p.setPen(QPen(QColor(150, 100, 20), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPolygon(QPolygonF{QPointF(16, 3), QPointF(30, 28), QPointF(2, 28)});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 34, 30));
    p.drawRoundedRect(QRectF(14.4, 10, 3.2, 11), 1.4, 1.4);
    p.drawEllipse(QPointF(16, 24.4), 1.8, 1.8);
    return image;
}

QImage askIcon() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(12, 10), 20);
    fill.setColorAt(0, QColor(110, 162, 222));
    fill.setColorAt(1, QColor(38, 88, 156));
    p.setPen(QPen(QColor(30, 66, 120), 1.2));
    p.setBrush(fill);
    p.drawEllipse(QPointF(16, 16), 14, 14);
    QPainterPath mark;
    mark.moveTo(11.5, 12.5);
    mark.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 11.5);
    mark.cubicTo(20.5, 15, 16, 15.5, 16, 19.5);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 24), 2, 2);
    return image;
}

// ---- the validity clock, 44 x 44 per frame ----

constexpr int ClockFrames = 119;
constexpr int ClockSide = 44;
constexpr int ClockRate = 15;

void clockFace(QPainter &p, QPointF centre, qreal radius, qreal turn, bool sweep) {
    QRadialGradient face(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.4);
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, QColor(226, 234, 244));
    p.setPen(QPen(QColor(68, 97, 138), radius / 9.0));
    p.setBrush(face);
    p.drawEllipse(centre, radius, radius);
    const qreal angle = turn * 360.0;
    if (sweep && angle > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(192, 57, 43, 40));
        const QRectF box(centre.x() - radius * 0.85, centre.y() - radius * 0.85, radius * 1.7,
                         radius * 1.7);
        p.drawPie(box, 90 * 16, -int(qRound(angle * 16)));
    }
    for (int mark = 0; mark < 12; ++mark) {
        const qreal a = qDegreesToRadians(mark * 30.0);
        const qreal inner = mark % 3 == 0 ? radius * 0.68 : radius * 0.8;
        const QPointF dir(qSin(a), -qCos(a));
        p.setPen(QPen(QColor(68, 97, 138), mark % 3 == 0 ? radius / 10.0 : radius / 16.0,
                      Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + dir * inner, centre + dir * (radius * 0.9));
    }
    const qreal a = qDegreesToRadians(angle);
    const QPointF hand(qSin(a), -qCos(a));
    p.setPen(QPen(QColor(192, 57, 43), radius / 9.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - hand * (radius * 0.15), centre + hand * (radius * 0.78));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 66));
    p.drawEllipse(centre, radius / 9.0, radius / 9.0);
}

QImage clockFrame(int index) {
    QImage image = canvas(ClockSide, ClockSide);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    clockFace(p, QPointF(22, 22), 19, qreal(index) / ClockFrames, true);
    return image;
}

void put16(QByteArray &out, quint16 value) {
    out.append(char(value & 0xff));
    out.append(char(value >> 8));
}

void put32(QByteArray &out, quint32 value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

void patch32(QByteArray &out, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((value >> (8 * i)) & 0xff);
}

// Opens a chunk or list and returns where its size field is.
qsizetype begin(QByteArray &out, const char *id, const char *listType = nullptr) {
    out.append(id, 4);
    const qsizetype sizeAt = out.size();
    put32(out, 0);
    if (listType)
        out.append(listType, 4);
    return sizeAt;
}

void end(QByteArray &out, qsizetype sizeAt) {
    patch32(out, sizeAt, quint32(out.size() - sizeAt - 4));
    if (out.size() & 1)
        out.append('\0');
}

QByteArray clockAvi() {
    QList<QByteArray> frames;
    quint32 largest = 0;
    for (int i = 0; i < ClockFrames; ++i) {
        frames.append(encodeJpeg(clockFrame(i), 80, true));
        largest = qMax(largest, quint32(frames.last().size()));
    }
    const quint32 usecPerFrame = (1000000 + ClockRate / 2) / ClockRate;

    QByteArray avi;
    const qsizetype riff = begin(avi, "RIFF", "AVI ");
    const qsizetype hdrl = begin(avi, "LIST", "hdrl");
    const qsizetype avih = begin(avi, "avih");
    put32(avi, usecPerFrame);
    put32(avi, largest * ClockRate);
    put32(avi, 0);    // padding granularity
    put32(avi, 0x10); // has an index
    put32(avi, ClockFrames);
    put32(avi, 0);
    put32(avi, 1); // streams
    put32(avi, largest);
    put32(avi, ClockSide);
    put32(avi, ClockSide);
    for (int i = 0; i < 4; ++i)
        put32(avi, 0);
    end(avi, avih);

    const qsizetype strl = begin(avi, "LIST", "strl");
    const qsizetype strh = begin(avi, "strh");
    avi.append("vidsMJPG", 8);
    put32(avi, 0); // flags
    put16(avi, 0); // priority
    put16(avi, 0); // language
    put32(avi, 0); // initial frames
    put32(avi, 1); // scale
    put32(avi, ClockRate);
    put32(avi, 0); // start
    put32(avi, ClockFrames);
    put32(avi, largest);
    put32(avi, 0xffffffffu); // quality: default
    put32(avi, 0);           // sample size: varies
    put16(avi, 0);
    put16(avi, 0);
    put16(avi, ClockSide);
    put16(avi, ClockSide);
    end(avi, strh);
    const qsizetype strf = begin(avi, "strf");
    put32(avi, 40);
    put32(avi, ClockSide);
    put32(avi, ClockSide);
    put16(avi, 1);
    put16(avi, 24);
    avi.append("MJPG", 4);
    put32(avi, ClockSide * ClockSide * 3);
    put32(avi, 0);
    put32(avi, 0);
    put32(avi, 0);
    put32(avi, 0);
    end(avi, strf);
    end(avi, strl);
    end(avi, hdrl);

    const qsizetype movi = begin(avi, "LIST", "movi");
    const qsizetype moviType = movi + 4;
    QByteArray index;
    for (const QByteArray &frame : frames) {
        const qsizetype chunk = begin(avi, "00dc");
        index.append("00dc", 4);
        put32(index, 0x10); // key frame
        put32(index, quint32(chunk - 4 - moviType));
        put32(index, quint32(frame.size()));
        avi.append(frame);
        end(avi, chunk);
    }
    end(avi, movi);
    const qsizetype idx1 = begin(avi, "idx1");
    avi.append(index);
    end(avi, idx1);
    end(avi, riff);
    return avi;
}

// ---- the application icon, 64 x 64 with transparency (16 to 48 and 256 for trays and menus) ----

void calendarWithClock(QPainter &p, qreal scale) {
    p.save();
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(5, 9, 50, 48), 6, 6);
    QPainterPath header;
    header.addRoundedRect(QRectF(5, 9, 50, 14), 6, 6);
    header.addRect(QRectF(5, 16, 50, 7));
    p.setBrush(QColor(192, 57, 43));
    p.drawPath(header.simplified());
    p.setPen(QPen(QColor(68, 97, 138), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(5, 9, 50, 48), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 66));
    p.drawRoundedRect(QRectF(15, 4, 5, 11), 2.5, 2.5);
    p.drawRoundedRect(QRectF(40, 4, 5, 11), 2.5, 2.5);
    p.setBrush(QColor(180, 192, 210));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col)
            if (!(row >= 2 && col >= 3))
                p.drawRect(QRectF(10 + col * 8.6, 27 + row * 7, 5, 4));
    clockFace(p, QPointF(46, 48), 14, 0.3, false);
    p.restore();
}

QImage appIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    calendarWithClock(p, size / 64.0);
    return image;
}

// ---- decorations of the small windows, 80 x 80 ----

// Stands on the white panel of the help and quick-help windows.
QImage helpPicture() {
    QImage image = canvas(80, 80, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // an open book
    const QColor cover(52, 92, 150);
    p.setPen(Qt::NoPen);
    p.setBrush(cover);
    QPainterPath back;
    back.moveTo(6, 24);
    back.quadTo(24, 18, 40, 26);
    back.quadTo(56, 18, 74, 24);
    back.lineTo(74, 66);
    back.quadTo(56, 60, 40, 68);
    back.quadTo(24, 60, 6, 66);
    back.closeSubpath();
    p.drawPath(back);
    for (int side = 0; side < 2; ++side) {
        const qreal s = side == 0 ? -1 : 1;
        QPainterPath page;
        page.moveTo(40, 24);
        page.quadTo(40 + s * 16, 14, 40 + s * 31, 20);
        page.lineTo(40 + s * 31, 61);
        page.quadTo(40 + s * 16, 56, 40, 64);
        page.closeSubpath();
        p.setBrush(QColor(250, 248, 240));
        p.setPen(QPen(QColor(170, 170, 176), 0.8));
        p.drawPath(page);
        p.setPen(QPen(QColor(150, 164, 186), 1.2, Qt::SolidLine, Qt::RoundCap));
        for (int line = 0; line < 6; ++line) {
            const qreal y = 27 + line * 5.5;
            p.drawLine(QPointF(40 + s * 6, y), QPointF(40 + s * 26, y - 2.5));
        }
    }
    // a bookmark
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 57, 43));
    p.drawPolygon(QPolygonF{QPointF(56, 16), QPointF(62, 16), QPointF(62, 34), QPointF(59, 31),
                            QPointF(56, 34)});
    return image;
}

QImage aboutPicture() {
    QImage image = canvas(80, 80);
    QPainter p(&image);
    p.translate(4, 4);
    calendarWithClock(p, 72.0 / 64.0);
    return image;
}

QImage resolutionPicture() {
    QImage image = canvas(80, 80);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // a monitor
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 96, 108));
    p.drawRect(QRectF(34, 56, 12, 10));
    p.drawRoundedRect(QRectF(22, 64, 36, 5), 2, 2);
    p.setBrush(QColor(60, 64, 74));
    p.drawRoundedRect(QRectF(6, 10, 68, 48), 4, 4);
    QLinearGradient screen(0, 14, 0, 54);
    screen.setColorAt(0, QColor(122, 158, 196));
    screen.setColorAt(1, QColor(246, 218, 190));
    p.setBrush(screen);
    p.drawRect(QRectF(10, 14, 60, 40));
    // arrows to the corners
    p.setPen(QPen(QColor(192, 57, 43), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(30, 27), QPointF(17, 19));
    p.drawPolyline(QPolygonF{QPointF(17, 24), QPointF(16, 18.5), QPointF(22, 18)});
    p.drawLine(QPointF(50, 41), QPointF(63, 49));
    p.drawPolyline(QPolygonF{QPointF(63, 44), QPointF(64, 49.5), QPointF(58, 50)});
    return image;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <assets folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    writeFile(out.filePath("side.jpg"), encodeJpeg(sidePicture(), 88, false));
    writeFile(out.filePath("strip_foot.jpg"), encodeJpeg(stripFoot(), 88, false));
    writeFile(out.filePath("hot_normal.jpg"), encodeJpeg(eraser(false), 94, true));
    writeFile(out.filePath("hot_highlighted.jpg"), encodeJpeg(eraser(true), 94, true));
    writeFile(out.filePath("alert.jpg"), encodeJpeg(alertIcon(), 92, true));
    writeFile(out.filePath("ask.jpg"), encodeJpeg(askIcon(), 92, true));
    writeFile(out.filePath("help.jpg"), encodeJpeg(helpPicture(), 90, true));
    writeFile(out.filePath("about.jpg"), encodeJpeg(aboutPicture(), 90, true));
    writeFile(out.filePath("resolution.jpg"), encodeJpeg(resolutionPicture(), 90, true));
    writeFile(out.filePath("Clock.avi"), clockAvi());

    const auto iconPng = [](int size) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        appIcon(size).save(&buffer, "PNG");
        return png;
    };
    writeFile(out.filePath("kelvadrin.png"), iconPng(64));
    for (int size : {16, 22, 24, 32, 48}) // the notification areas' and menus' sizes
        writeFile(out.filePath(QStringLiteral("kelvadrin-%1.png").arg(size)), iconPng(size));
    writeFile(out.filePath("kelvadrin-256.png"), iconPng(256));
    return 0;
}
