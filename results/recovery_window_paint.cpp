// Painting of the results page: status strip, progress, counters and the preview.

#include "results/recovery_window.h"

#include "app/settings.h"
#include "app/translations.h"
#include "results/preview_text.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTextOption>

namespace {

const char *const image_suffixes[] = {".bmp", ".gif", ".jpg", "jpeg", ".png", ".pbm",
                                      ".pgm", ".ppm", "tiff", ".xbm", ".xpm"};
constexpr qsizetype text_preview_bytes = 8192;

int preview_height(int h) { return int((h - 143) * 0.4); }

} // namespace

void recovery_window_c::paint_status(QPainter &painter)
{
    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("Verdana"), 10));
    QString status;
    if (deep_scan_) {
        const double done = current_engine_->get_progress() * double(scan_volume_.total_bytes);
        status = text_for("raw_progress") + QLatin1Char(' ') + format_size(done > 0 ? uint64_t(done) : 0);
    } else {
        status = text_for("recovery_reading") + QString::number(current_engine_->get_scanned_count());
    }
    painter.drawText(90, 30, status);
}

void recovery_window_c::paintEvent(QPaintEvent *)
{
    if (!isVisible())
        return;
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const QPixmap band(QStringLiteral(":/images/background/bai.png"));
    if (!band.isNull())
        painter.fillRect(QRect(0, 0, w, band.height()), QBrush(band));
    painter.setPen(QColor(139, 184, 241));
    painter.drawRect(10, 13, w - 20, 60);
    painter.drawRect(212, 79, w - 222, preview_height(h));
    progress_.paint(&painter, QRect(90, 38, 250, 12));
    paint_status(painter);
    if (preview_ready_)
        paint_preview(painter, preview_item_);
    else
        painter.fillRect(QRect(213, 80, w - 223, int((h - 143) * 0.4 - 1)), Qt::white);
    const int64_t found = current_engine_->get_found_count();
    if (found > 0) {
        painter.setPen(Qt::red);
        painter.drawText(90, 65, text_for("recovery_total_files") + QLatin1Char(' ') + QString::number(found));
    }
}

void recovery_window_c::paint_preview(QPainter &painter, const recovery_item_s &item)
{
    const QString path = output_path(QDir(QDir::tempPath()), item);
    const QString name = QFileInfo(path).fileName();
    const QString ending = name.right(4).toLower();
    for (const char *suffix : image_suffixes) {
        if (ending == QLatin1String(suffix)) {
            paint_image_preview(painter, path);
            return;
        }
    }
    paint_text_preview(painter, path);
}

void recovery_window_c::paint_image_preview(QPainter &painter, const QString &path)
{
    const QImage image(path);
    if (image.width() == 0 || image.height() == 0)
        return;
    const int h_prev = int((height() - 143) * 0.4 - 10);
    if (h_prev <= 0)
        return;
    const int w_prev = int(int64_t(h_prev) * image.width() / image.height());
    const int left = (width() - w_prev - 222) / 2 + 212;
    painter.drawImage(QRect(left, 84, w_prev, h_prev), image);
}

void recovery_window_c::paint_text_preview(QPainter &painter, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.read(text_preview_bytes);
    file.close();
    if (bytes.isEmpty())
        return;
    const QRect rect(217, 84, width() - 232, int((height() - 143) * 0.4 - 10));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    painter.drawText(QRectF(rect), preview_text(bytes), option);
}
