#include "gif_writer.h"

#include <QHash>
#include <cstdint>

namespace {

class bit_writer_c {
public:
    void put(uint32_t code, int bits)
    {
        acc |= code << fill;
        fill += bits;
        while (fill >= 8) {
            out.append(static_cast<char>(acc & 0xff));
            acc >>= 8;
            fill -= 8;
        }
    }
    QByteArray finish()
    {
        if (fill > 0)
            out.append(static_cast<char>(acc & 0xff));
        return out;
    }

private:
    QByteArray out;
    uint32_t acc = 0;
    int fill = 0;
};

void put16(QByteArray &out, int v)
{
    out.append(static_cast<char>(v & 0xff));
    out.append(static_cast<char>((v >> 8) & 0xff));
}

int nearest(QRgb c, const QList<QRgb> &palette, bool transparent)
{
    if (transparent && qAlpha(c) < 128)
        return 0;
    int best = transparent ? 1 : 0, best_d = INT32_MAX;
    for (int i = best; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                  db = qBlue(c) - qBlue(palette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

} // namespace

QByteArray gif_lzw(const QByteArray &indexes, int min_code_size)
{
    const uint32_t clear = 1u << min_code_size, end = clear + 1;
    bit_writer_c bits;
    QHash<uint32_t, uint32_t> table; // (prefix code << 8 | byte) -> code
    uint32_t next = end + 1;
    int width = min_code_size + 1;
    bits.put(clear, width);
    if (indexes.isEmpty()) {
        bits.put(end, width);
        return bits.finish();
    }
    uint32_t prefix = static_cast<uint8_t>(indexes[0]);
    for (qsizetype i = 1; i < indexes.size(); ++i) {
        const uint32_t byte = static_cast<uint8_t>(indexes[i]);
        const uint32_t key = prefix << 8 | byte;
        const auto found = table.constFind(key);
        if (found != table.constEnd()) {
            prefix = *found;
            continue;
        }
        bits.put(prefix, width);
        if (next < 4096) {
            table.insert(key, next++);
            // The decoder widens one code later than the encoder adds the entry.
            if (next > (1u << width) && width < 12)
                ++width;
        } else {
            bits.put(clear, width);
            table.clear();
            next = end + 1;
            width = min_code_size + 1;
        }
        prefix = byte;
    }
    bits.put(prefix, width);
    bits.put(end, width);
    return bits.finish();
}

QByteArray encode_gif(const QList<QImage> &frames, const QList<QRgb> &palette, int delay_cs,
                      bool transparent)
{
    if (frames.isEmpty() || palette.isEmpty() || palette.size() > 256)
        return {};
    int depth = 1;
    while ((1 << depth) < palette.size())
        ++depth;
    const int w = frames[0].width(), h = frames[0].height();

    QByteArray out("GIF89a");
    put16(out, w);
    put16(out, h);
    out.append(static_cast<char>(0x80 | (depth - 1) << 4 | (depth - 1)));
    out.append('\0'); // background colour index
    out.append('\0'); // no aspect ratio
    for (int i = 0; i < (1 << depth); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    // Netscape extension: loop forever.
    out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);

    const int min_code_size = depth < 2 ? 2 : depth;
    for (const QImage &source : frames) {
        const QImage frame = source.convertToFormat(QImage::Format_ARGB32);
        out.append("\x21\xf9\x04", 3); // graphic control extension
        out.append(static_cast<char>(transparent ? 0x09 : 0x08)); // restore to background
        put16(out, delay_cs);
        out.append('\0');
        out.append('\0');
        out.append('\x2c'); // image descriptor
        put16(out, 0);
        put16(out, 0);
        put16(out, w);
        put16(out, h);
        out.append('\0');
        QByteArray indexes;
        indexes.reserve(qsizetype(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                indexes.append(static_cast<char>(nearest(frame.pixel(x, y), palette, transparent)));
        out.append(static_cast<char>(min_code_size));
        const QByteArray data = gif_lzw(indexes, min_code_size);
        for (qsizetype pos = 0; pos < data.size(); pos += 255) {
            const qsizetype n = qMin<qsizetype>(255, data.size() - pos);
            out.append(static_cast<char>(n));
            out.append(data.mid(pos, n));
        }
        out.append('\0');
    }
    out.append('\x3b');
    return out;
}
