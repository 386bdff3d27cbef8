// The compiled-in pictures: every picture the window and its pages ask for is present and
// loads, each image folder has the full set of localized buttons, and the animation our own
// GIF encoder writes plays back.

#include "tools/image_gen/gif_writer.h"

#include <QBuffer>
#include <QImageReader>
#include <QMovie>
#include <QPixmap>
#include <QTest>

class test_image_bundle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pictures_load_data()
    {
        QTest::addColumn<QString>("path");
        QStringList paths = {
            "background/bai.png", "home/wenzi.png", "top/logo.png", "top.ico",
            "recovery/folder.png", "recovery/ani.gif"};
        for (const char *name : {"sl", "so", "sr", "su"})
            paths << QStringLiteral("system/%1.png").arg(QLatin1String(name));
        for (const char *name : {"quiButton", "maxButton", "resumeButton", "minButton", "settingButton"})
            for (int s = 1; s <= 3; ++s)
                paths << QStringLiteral("system/%1%2.png").arg(QLatin1String(name)).arg(s);
        for (int s = 1; s <= 3; ++s)
            paths << QStringLiteral("partition_search/btn_wai_%1.png").arg(s)
                  << QStringLiteral("partition_search/btn_start_%1.png").arg(s)
                  << QStringLiteral("home/buttonscan%1.png").arg(s)
                  << QStringLiteral("home/buttonrecovery%1.png").arg(s);
        for (const char *name : {"check1", "check2", "drives", "green", "red", "icon_found1", "loding_on"})
            paths << QStringLiteral("partition_search/%1.png").arg(QLatin1String(name));
        for (const char *code : {"cn", "de", "en", "es", "fr", "hk", "it", "jp", "pt", "nl", "ar"}) {
            const QString dir = QStringLiteral("multilang/%1/").arg(QLatin1String(code));
            for (int n = 1; n <= 3; ++n)
                for (int s = 1; s <= 4; ++s)
                    paths << dir + QStringLiteral("btn_top%1%2.png").arg(n).arg(s);
            for (int s = 1; s <= 3; ++s)
                paths << dir + QStringLiteral("btn_start_scan%1.png").arg(s)
                      << dir + QStringLiteral("btn_resume_recovery%1.png").arg(s);
        }
        for (const QString &p : paths)
            QTest::newRow(qPrintable(p)) << QStringLiteral(":/images/") + p;
    }
    void pictures_load()
    {
        QFETCH(QString, path);
        QVERIFY2(!QPixmap(path).isNull(), qPrintable(path));
    }

    // Sizes the painting code relies on.
    void picture_sizes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("navigation button") << "multilang/de/btn_top21.png" << QSize(95, 70);
        QTest::newRow("home start") << "multilang/jp/btn_start_scan1.png" << QSize(330, 106);
        QTest::newRow("home resume") << "multilang/en/btn_resume_recovery3.png" << QSize(323, 106);
        QTest::newRow("system button") << "system/quiButton2.png" << QSize(30, 21);
        QTest::newRow("title band") << "system/so.png" << QSize(256, 100);
        QTest::newRow("intro panel") << "home/wenzi.png" << QSize(692, 188);
        QTest::newRow("animation") << "recovery/ani.gif" << QSize(130, 86);
    }
    void picture_sizes()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QCOMPARE(QImageReader(QStringLiteral(":/images/") + path).size(), size);
    }

    // Frames survive our encoder and Qt's decoder pixel for pixel (palette colours only), also
    // past the point where the code table fills up and restarts.
    void gif_round_trip()
    {
        const QList<QRgb> palette = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(200, 30, 30),
                                     qRgb(30, 200, 30), qRgb(30, 30, 200)};
        QList<QImage> frames;
        for (int f = 0; f < 3; ++f) {
            QImage img(211, 157, QImage::Format_RGB32);
            uint32_t seed = 12345u + f;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    seed = seed * 1103515245u + 12345u; // noise: many distinct strings
                    img.setPixel(x, y, palette[(seed >> 16) % palette.size()]);
                }
            frames.append(img);
        }
        QByteArray bytes = encode_gif(frames, palette, 7, false);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "gif");
        QCOMPARE(reader.imageCount(), 3);
        for (int f = 0; f < 3; ++f) {
            const QImage back = reader.read().convertToFormat(QImage::Format_RGB32);
            QVERIFY2(!back.isNull(), qPrintable(reader.errorString()));
            QCOMPARE(back, frames[f]);
        }
    }

    void bundled_animation_plays()
    {
        QMovie movie(QStringLiteral(":/images/recovery/ani.gif"));
        QVERIFY(movie.isValid());
        QVERIFY(movie.frameCount() > 1);
        QVERIFY(movie.jumpToFrame(movie.frameCount() - 1));
    }
};

QTEST_MAIN(test_image_bundle)
#include "test_image_bundle.moc"
