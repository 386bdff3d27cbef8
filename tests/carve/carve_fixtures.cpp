#include "tests/carve/carve_fixtures.h"

#include "engines/carve/sc_api.h"
#include "platform/source.h"
#include "tests/support/test_tools.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <random>

namespace {

void put32le(QByteArray &b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}
void put16le(QByteArray &b, qsizetype at, uint16_t v)
{
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}
QByteArray be32(uint32_t v)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (24 - 8 * i));
    return b;
}
QByteArray le32(uint32_t v)
{
    QByteArray b(4, 0);
    put32le(b, 0, v);
    return b;
}
QByteArray box(const char *type, const QByteArray &body)
{
    return be32(uint32_t(body.size() + 8)) + QByteArray(type, 4) + body;
}

QString path_in(const QString &dir, const QString &name) { return QDir(dir).filePath(name); }

// A second of 8 kHz mono sound, as a WAV file (input for the audio encoders).
QString make_wav(const QString &dir)
{
    const QString wav = path_in(dir, QStringLiteral("tone.wav"));
    if (!QFile::exists(wav)) {
        const QString script = QStringLiteral(
            "import wave,math,sys\n"
            "w=wave.open(sys.argv[1],'wb'); w.setnchannels(1); w.setsampwidth(2); w.setframerate(8000)\n"
            "w.writeframes(b''.join(int(8000*math.sin(i*0.07)+3000*math.sin(i*0.31)).to_bytes(2,'little',signed=True) for i in range(16000)))\n"
            "w.close()\n");
        test_run_tool(QStringLiteral("python3"), {QStringLiteral("-c"), script, wav});
    }
    return wav;
}

// Runs a tool that writes out; returns its bytes or a skip reason.
fixture_s run_and_read(const QString &tool, const QStringList &args, const QString &out)
{
    fixture_s f;
    if (!test_have_tool(tool)) {
        f.skip = tool + QStringLiteral(" is not installed");
        return f;
    }
    QByteArray log;
    if (test_run_tool(tool, args, &log) != 0) {
        f.skip = tool + QStringLiteral(" failed: ") + QString::fromLocal8Bit(log.left(300));
        return f;
    }
    f.bytes = test_read_file(out);
    if (f.bytes.isEmpty())
        f.skip = tool + QStringLiteral(" wrote nothing");
    return f;
}

fixture_s python_zip(const QString &dir, const QString &name, const QString &entries, bool stream)
{
    // entries: python list of (name, data, stored)
    const QString out = path_in(dir, name);
    const QString script = QStringLiteral(
        "import zipfile,sys,io\n"
        "entries=%1\n"
        "class W(io.RawIOBase):\n"
        "  def __init__(s,f): s.f=f\n"
        "  def writable(s): return True\n"
        "  def write(s,b): return s.f.write(b)\n"
        "f=open(sys.argv[1],'wb')\n"
        "target=W(f) if %2 else f\n"
        "z=zipfile.ZipFile(target,'w')\n"
        "for n,d,stored in entries:\n"
        "  z.writestr(n,d,zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED)\n"
        "z.close(); f.close()\n").arg(entries, stream ? QStringLiteral("True") : QStringLiteral("False"));
    return run_and_read(QStringLiteral("python3"), {QStringLiteral("-c"), script, out}, out);
}

fixture_s convert_image(const QString &dir, const QString &pattern, const QString &name, const QStringList &extra = {})
{
    const QString out = path_in(dir, name);
    QStringList args{QStringLiteral("-size"), QStringLiteral("40x30"), pattern};
    args << extra << out;
    return run_and_read(QStringLiteral("convert"), args, out);
}

fixture_s bytes(const QByteArray &b)
{
    fixture_s f;
    f.bytes = b;
    return f;
}

} // namespace

QByteArray random_bytes(qsizetype n, uint32_t seed)
{
    std::mt19937 gen(seed);
    QByteArray b(n, 0);
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        const uint32_t v = gen();
        std::memcpy(b.data() + i, &v, 4);
    }
    for (; i < n; ++i)
        b[i] = char(gen() & 0xFF);
    return b;
}

QList<QPair<QString, QString>> fixture_kinds()
{
    return {
        {"jpg", "jpg"}, {"jpg exif thumbnail", "jpg"}, {"jpg progressive", "jpg"}, {"png", "png"},
        {"gif", "gif"}, {"gif animated", "gif"}, {"bmp", "bmp"}, {"bmp3", "bmp"}, {"tif", "tif"},
        {"tif big-endian lzw", "tif"}, {"psd", "psd"}, {"pdf", "pdf"}, {"pdf incremental", "pdf"},
        {"zip", "zip"}, {"zip data descriptors", "zip"}, {"docx", "docx"}, {"xlsx", "xlsx"},
        {"pptx", "pptx"}, {"odt", "odt"}, {"ods", "ods"}, {"odp", "odp"}, {"epub", "epub"},
        {"jar", "jar"}, {"apk", "apk"}, {"doc", "doc"}, {"xls", "xls"}, {"ppt", "ppt"}, {"msg", "msg"},
        {"rtf", "rtf"}, {"mp3", "mp3"}, {"mp3 id3", "mp3"}, {"wav", "wav"}, {"avi", "avi"},
        {"mp4", "mp4"}, {"mov", "mov"}, {"m4a", "m4a"}, {"3gp", "3gp"}, {"mkv", "mkv"}, {"webm", "webm"},
        {"flac", "flac"}, {"ogg", "ogg"}, {"7z", "7z"}, {"rar4", "rar"}, {"rar5", "rar"}, {"gz", "gz"},
        {"sqlite", "sqlite"}, {"exe", "exe"}, {"dll", "dll"},
    };
}

fixture_s make_fixture(const QString &kind, const QString &dir)
{
    const QString gradient = QStringLiteral("gradient:red-blue");
    if (kind == QLatin1String("jpg"))
        return convert_image(dir, QStringLiteral("plasma:fractal"), QStringLiteral("a.jpg"), {QStringLiteral("-seed"), QStringLiteral("3")});
    if (kind == QLatin1String("jpg progressive"))
        return convert_image(dir, gradient, QStringLiteral("p.jpg"), {QStringLiteral("-interlace"), QStringLiteral("Plane")});
    if (kind == QLatin1String("jpg exif thumbnail")) {
        const fixture_s outer = convert_image(dir, gradient, QStringLiteral("outer.jpg"));
        const fixture_s thumb = convert_image(dir, QStringLiteral("xc:green"), QStringLiteral("thumb.jpg"));
        if (outer.bytes.isEmpty() || thumb.bytes.isEmpty())
            return outer.bytes.isEmpty() ? outer : thumb;
        return bytes(build_jpeg_with_thumbnail(outer.bytes, thumb.bytes));
    }
    if (kind == QLatin1String("png"))
        return convert_image(dir, gradient, QStringLiteral("a.png"));
    if (kind == QLatin1String("gif"))
        return convert_image(dir, gradient, QStringLiteral("a.gif"));
    if (kind == QLatin1String("gif animated")) {
        const QString out = path_in(dir, QStringLiteral("anim.gif"));
        return run_and_read(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("20x20"),
                            QStringLiteral("xc:red"), QStringLiteral("xc:blue"), QStringLiteral("xc:green"),
                            QStringLiteral("-loop"), QStringLiteral("0"), out}, out);
    }
    if (kind == QLatin1String("bmp"))
        return convert_image(dir, gradient, QStringLiteral("a.bmp"));
    if (kind == QLatin1String("bmp3"))
        return convert_image(dir, gradient, QStringLiteral("bmp3:b3.bmp"));
    if (kind == QLatin1String("tif")) {
        fixture_s f = convert_image(dir, gradient, QStringLiteral("a.tif"));
        return f;
    }
    if (kind == QLatin1String("tif big-endian lzw"))
        return convert_image(dir, QStringLiteral("plasma:"), QStringLiteral("b.tif"),
                             {QStringLiteral("-endian"), QStringLiteral("MSB"), QStringLiteral("-compress"), QStringLiteral("lzw")});
    if (kind == QLatin1String("psd"))
        return convert_image(dir, gradient, QStringLiteral("a.psd"));
    if (kind == QLatin1String("pdf"))
        return bytes(build_pdf(false));
    if (kind == QLatin1String("pdf incremental"))
        return bytes(build_pdf(true));

    const QString filler = QStringLiteral("bytes(range(256))*40");
    if (kind == QLatin1String("zip"))
        return python_zip(dir, QStringLiteral("a.zip"), QStringLiteral("[('a.txt',b'hello '*500,False),('b.bin',%1,True)]").arg(filler), false);
    if (kind == QLatin1String("zip data descriptors"))
        return python_zip(dir, QStringLiteral("dd.zip"), QStringLiteral("[('a.txt',b'hello '*500,False),('PK.bin',b'PK\\x03\\x04'*300,False)]"), true);
    if (kind == QLatin1String("docx") || kind == QLatin1String("xlsx") || kind == QLatin1String("pptx")) {
        const QString folder = kind == QLatin1String("docx") ? QStringLiteral("word/document.xml")
                             : kind == QLatin1String("xlsx") ? QStringLiteral("xl/workbook.xml")
                                                             : QStringLiteral("ppt/presentation.xml");
        return python_zip(dir, QStringLiteral("o.") + kind,
                          QStringLiteral("[('[Content_Types].xml',b'<Types/>'*50,False),('_rels/.rels',b'<r/>',False),('%1',b'<x/>'*300,False)]").arg(folder), false);
    }
    if (kind == QLatin1String("odt") || kind == QLatin1String("ods") || kind == QLatin1String("odp") || kind == QLatin1String("epub")) {
        const QString mime = kind == QLatin1String("odt") ? QStringLiteral("application/vnd.oasis.opendocument.text")
                           : kind == QLatin1String("ods") ? QStringLiteral("application/vnd.oasis.opendocument.spreadsheet")
                           : kind == QLatin1String("odp") ? QStringLiteral("application/vnd.oasis.opendocument.presentation")
                                                          : QStringLiteral("application/epub+zip");
        return python_zip(dir, QStringLiteral("d.") + kind,
                          QStringLiteral("[('mimetype',b'%1',True),('content.xml',b'<c/>'*400,False),('META-INF/manifest.xml',b'<m/>',False)]").arg(mime), false);
    }
    if (kind == QLatin1String("jar"))
        return python_zip(dir, QStringLiteral("a.jar"), QStringLiteral("[('META-INF/MANIFEST.MF',b'Manifest-Version: 1.0\\n',False),('A.class',%1,False)]").arg(filler), false);
    if (kind == QLatin1String("apk"))
        return python_zip(dir, QStringLiteral("a.apk"), QStringLiteral("[('AndroidManifest.xml',%1,False),('classes.dex',b'dex\\n035'*100,False),('META-INF/MANIFEST.MF',b'M',False)]").arg(filler), false);
    if (kind == QLatin1String("doc"))
        return bytes(build_ole(u"WordDocument", 9000));
    if (kind == QLatin1String("xls"))
        return bytes(build_ole(u"Workbook", 5000));
    if (kind == QLatin1String("ppt"))
        return bytes(build_ole(u"PowerPoint Document", 7000));
    if (kind == QLatin1String("msg"))
        return bytes(build_ole(u"__substg1.0_0037001F", 4200));
    if (kind == QLatin1String("rtf"))
        return bytes(build_rtf());

    if (kind == QLatin1String("mp3") || kind == QLatin1String("mp3 id3")) {
        const QString out = path_in(dir, kind == QLatin1String("mp3") ? QStringLiteral("a.mp3") : QStringLiteral("t.mp3"));
        QStringList args{QStringLiteral("--quiet")};
        if (kind == QLatin1String("mp3 id3"))
            args << QStringLiteral("--add-id3v2") << QStringLiteral("--tt") << QStringLiteral("Tone");
        args << make_wav(dir) << out;
        return run_and_read(QStringLiteral("lame"), args, out);
    }
    if (kind == QLatin1String("wav")) {
        fixture_s f;
        f.bytes = test_read_file(make_wav(dir));
        if (f.bytes.isEmpty())
            f.skip = QStringLiteral("python3 could not write a WAV file");
        return f;
    }
    if (kind == QLatin1String("avi"))
        return bytes(build_avi());
    if (kind == QLatin1String("mp4"))
        return bytes(build_mp4("isom"));
    if (kind == QLatin1String("mov"))
        return bytes(build_mp4("qt  "));
    if (kind == QLatin1String("m4a"))
        return bytes(build_mp4("M4A "));
    if (kind == QLatin1String("3gp"))
        return bytes(build_mp4("3gp5"));
    if (kind == QLatin1String("flac")) {
        const QString out = path_in(dir, QStringLiteral("a.flac"));
        return run_and_read(QStringLiteral("flac"), {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"), out, make_wav(dir)}, out);
    }
    if (kind == QLatin1String("ogg")) {
        const QString out = path_in(dir, QStringLiteral("a.ogg"));
        return run_and_read(QStringLiteral("oggenc"), {QStringLiteral("-Q"), QStringLiteral("-o"), out, make_wav(dir)}, out);
    }
    if (kind == QLatin1String("mkv") || kind == QLatin1String("webm")) {
        const fixture_s ogg = make_fixture(QStringLiteral("ogg"), dir);
        if (ogg.bytes.isEmpty())
            return ogg;
        const QString out = path_in(dir, QStringLiteral("a.") + kind);
        QStringList args{QStringLiteral("-q")};
        if (kind == QLatin1String("webm"))
            args << QStringLiteral("--webm");
        args << QStringLiteral("-o") << out << path_in(dir, QStringLiteral("a.ogg"));
        return run_and_read(QStringLiteral("mkvmerge"), args, out);
    }
    if (kind == QLatin1String("7z")) {
        const QString out = path_in(dir, QStringLiteral("a.7z"));
        QFile::remove(out);
        return run_and_read(QStringLiteral("7z"), {QStringLiteral("a"), QStringLiteral("-bd"), out, make_wav(dir)}, out);
    }
    if (kind == QLatin1String("rar4"))
        return bytes(build_rar4());
    if (kind == QLatin1String("rar5"))
        return bytes(build_rar5());
    if (kind == QLatin1String("gz")) {
        const QString out = path_in(dir, QStringLiteral("tone.wav.gz"));
        QFile::remove(out);
        return run_and_read(QStringLiteral("gzip"), {QStringLiteral("-k"), QStringLiteral("-f"), make_wav(dir)}, out);
    }
    if (kind == QLatin1String("sqlite")) {
        const QString out = path_in(dir, QStringLiteral("a.sqlite"));
        QFile::remove(out);
        return run_and_read(QStringLiteral("sqlite3"), {out, QStringLiteral(
            "create table t(a,b); insert into t values(1,randomblob(3000)); insert into t values(2,'x');")}, out);
    }
    if (kind == QLatin1String("exe"))
        return bytes(build_pe(false));
    if (kind == QLatin1String("dll"))
        return bytes(build_pe(true));
    fixture_s none;
    none.skip = QStringLiteral("unknown fixture ") + kind;
    return none;
}

QList<carved_s> carve_memory(const QByteArray &image)
{
    QList<carved_s> found;
    sc_scan_params params;
    params.user = &found;
    params.callback = [](void *user, const char *ext, int64_t offset, int64_t size) {
        static_cast<QList<carved_s> *>(user)->append({QByteArray(ext), offset, size});
    };
    memory_source_c source(image);
    sc_scan_source(&params, source);
    return found;
}

QByteArray build_mp4(const char *brand)
{
    const QByteArray ftyp = box("ftyp", QByteArray(brand, 4) + be32(0x200) + QByteArray("isomiso2mp41", 12));
    const QByteArray moov = box("moov", box("mvhd", QByteArray(100, 1)) + box("trak", box("tkhd", QByteArray(84, 2))));
    const QByteArray mdat = box("mdat", random_bytes(3000, 77));
    return ftyp + box("free", QByteArray(8, 0)) + mdat + moov;
}

QByteArray build_avi()
{
    const QByteArray hdrl = QByteArray("hdrl") + box("avih", QByteArray(56, 0));
    QByteArray list = QByteArray("LIST") + le32(uint32_t(hdrl.size())) + hdrl;
    const QByteArray movi = QByteArray("movi") + QByteArray("00dc") + le32(2000) + random_bytes(2000, 5);
    list += QByteArray("LIST") + le32(uint32_t(movi.size())) + movi;
    const QByteArray body = QByteArray("AVI ") + list;
    return QByteArray("RIFF") + le32(uint32_t(body.size())) + body;
}

QByteArray build_rar4()
{
    QByteArray b("Rar!\x1A\x07\x00", 7);
    QByteArray main(13, 0); // archive header
    main[2] = char(0x73);
    put16le(main, 5, 13);
    b += main;
    const QByteArray name("tone.wav");
    const QByteArray data = random_bytes(1500, 9);
    QByteArray file(32 + name.size(), 0);
    file[2] = char(0x74);
    put16le(file, 3, 0x8000);
    put16le(file, 5, uint16_t(file.size()));
    put32le(file, 7, uint32_t(data.size()));
    put32le(file, 11, uint32_t(data.size()));
    put16le(file, 26, uint16_t(name.size()));
    file.replace(32, name.size(), name);
    b += file + data;
    QByteArray end(7, 0);
    end[2] = char(0x7B);
    put16le(end, 5, 7);
    return b + end;
}

QByteArray build_rar5()
{
    QByteArray b("Rar!\x1A\x07\x01\x00", 8);
    auto block = [](uint8_t type, uint8_t flags, const QByteArray &fields, qsizetype data) {
        QByteArray h;
        h += char(type);
        h += char(flags);
        if (flags & 2) { // data size as a two-byte vint
            h += char(0x80 | (data & 0x7F));
            h += char(data >> 7);
        }
        h += fields;
        QByteArray out(4, 0);
        out += char(h.size());
        return out + h;
    };
    b += block(1, 0, QByteArray(1, 0), 0);
    const QByteArray data = random_bytes(1200, 21);
    b += block(2, 2, QByteArray("\x00\x00\x00\x08tone.wav", 12), data.size()) + data;
    b += block(5, 0, QByteArray(1, 0), 0);
    return b;
}

QByteArray build_pe(bool dll)
{
    QByteArray b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32le(b, 0x3C, 0x80);
    b.replace(0x80, 4, QByteArray("PE\0\0", 4));
    const qsizetype coff = 0x84;
    put16le(b, coff, 0x8664);
    put16le(b, coff + 2, 2);
    put16le(b, coff + 16, 240);
    put16le(b, coff + 18, dll ? 0x2022 : 0x0022);
    const qsizetype opt = coff + 20;
    put16le(b, opt, 0x20B);
    put32le(b, opt + 60, 0x400); // size of headers
    put32le(b, opt + 108, 16);   // number of data directories
    const qsizetype sections = opt + 240;
    const char *names[2] = {".text", ".data"};
    const uint32_t at[2] = {0x400, 0xA00}, sizes[2] = {0x600, 0x400};
    for (int i = 0; i < 2; ++i) {
        const qsizetype s = sections + 40 * i;
        b.replace(s, qsizetype(strlen(names[i])), names[i]);
        put32le(b, s + 16, sizes[i]);
        put32le(b, s + 20, at[i]);
    }
    b += random_bytes(0x600 + 0x400, dll ? 31 : 32);
    return b;
}

QByteArray build_ole(const char16_t *stream_name, int stream_bytes)
{
    // Sectors: 0 FAT, 1 directory, 2.. the stream (a regular stream, not in the mini stream).
    const int ssz = 512;
    const int stream_sectors = (stream_bytes + ssz - 1) / ssz;
    QByteArray header(ssz, 0);
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    put16le(header, 24, 0x3E);
    put16le(header, 26, 3);
    put16le(header, 28, 0xFFFE);
    put16le(header, 30, 9);
    put16le(header, 32, 6);
    put32le(header, 44, 1);          // FAT sectors
    put32le(header, 48, 1);          // first directory sector
    put32le(header, 56, 4096);       // mini stream cutoff
    put32le(header, 60, 0xFFFFFFFE); // no mini FAT
    put32le(header, 68, 0xFFFFFFFE); // no DIFAT sectors
    for (int i = 0; i < 109; ++i)
        put32le(header, 76 + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    QByteArray fat(ssz, char(0xFF));
    put32le(fat, 0, 0xFFFFFFFD);
    put32le(fat, 4, 0xFFFFFFFE);
    for (int i = 0; i < stream_sectors; ++i)
        put32le(fat, 4 * (2 + i), i + 1 < stream_sectors ? uint32_t(3 + i) : 0xFFFFFFFE);
    QByteArray dir(ssz, 0);
    auto entry = [&dir](int n, const char16_t *name, uint8_t type, uint32_t start, uint32_t size) {
        const qsizetype e = 128 * n;
        int len = 0;
        for (; name[len]; ++len)
            put16le(dir, e + 2 * len, name[len]);
        put16le(dir, e + 64, uint16_t(2 * (len + 1)));
        dir[e + 66] = char(type);
        put32le(dir, e + 68, 0xFFFFFFFF);
        put32le(dir, e + 72, 0xFFFFFFFF);
        put32le(dir, e + 76, n == 0 ? 1 : 0xFFFFFFFF);
        put32le(dir, e + 116, start);
        put32le(dir, e + 120, size);
    };
    entry(0, u"Root Entry", 5, 0xFFFFFFFE, 0);
    entry(1, stream_name, 2, 2, uint32_t(stream_bytes));
    QByteArray stream = random_bytes(stream_sectors * ssz, 55);
    return header + fat + dir + stream;
}

QByteArray build_pdf(bool incremental)
{
    QByteArray pdf("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"
                   "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
                   "2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n"
                   "xref\n0 3\n0000000000 65535 f \n0000000015 00000 n \n0000000064 00000 n \n"
                   "trailer\n<< /Size 3 /Root 1 0 R >>\nstartxref\n115\n%%EOF\n");
    if (incremental)
        pdf += "3 0 obj\n<< /Producer (update) >>\nendobj\n"
               "xref\n3 1\n0000000200 00000 n \ntrailer\n<< /Size 4 /Root 1 0 R /Prev 115 >>\n"
               "startxref\n260\n%%EOF\n";
    return pdf;
}

QByteArray build_rtf()
{
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times;}}\n"
                      "{\\pard Braces \\{ and \\} are text, so is \\\\.\\par}\n"
                      "{\\*\\generator test;}\\par\n}\n");
}

QByteArray build_jpeg_with_thumbnail(const QByteArray &outer, const QByteArray &thumbnail)
{
    // An APP1 segment holding a complete JPEG, right after SOI, as cameras write EXIF thumbnails.
    QByteArray payload = QByteArray("Exif\0\0", 6) + thumbnail;
    QByteArray app1("\xFF\xE1", 2);
    const int len = int(payload.size()) + 2;
    app1 += char(len >> 8);
    app1 += char(len & 0xFF);
    return outer.left(2) + app1 + payload + outer.mid(2);
}
