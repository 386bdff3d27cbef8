#pragma once
// A small GIF89a encoder for the animated picture of the results page (Qt reads GIF, it does
// not write it). All frames share one global colour table; frames loop forever.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

// Encodes frames (all the same size) with the given palette (at most 256 colours; index 0 is
// the transparent colour when transparent is true). Every pixel is mapped to the nearest
// palette entry; delay_cs is the time per frame in hundredths of a second.
QByteArray encode_gif(const QList<QImage> &frames, const QList<QRgb> &palette, int delay_cs,
                      bool transparent);

// LZW-compressed image data of indexes with the given minimum code size (exposed for tests of
// the encoder itself).
QByteArray gif_lzw(const QByteArray &indexes, int min_code_size);
