#include "engines/carve/carve_format.h"

// Each format file defines one of these.
const carve_format_c &format_jpg();
const carve_format_c &format_png();
const carve_format_c &format_gif();
const carve_format_c &format_bmp();
const carve_format_c &format_tif();
const carve_format_c &format_psd();
const carve_format_c &format_pdf();
const carve_format_c &format_zip();
const carve_format_c &format_ole();
const carve_format_c &format_rtf();
const carve_format_c &format_mp3();
const carve_format_c &format_riff();
const carve_format_c &format_mp4();
const carve_format_c &format_mkv();
const carve_format_c &format_flac();
const carve_format_c &format_ogg();
const carve_format_c &format_7z();
const carve_format_c &format_rar();
const carve_format_c &format_gz();
const carve_format_c &format_sqlite();
const carve_format_c &format_exe();

const std::vector<const carve_format_c *> &carve_formats()
{
    static const std::vector<const carve_format_c *> table{
        &format_jpg(), &format_png(),  &format_gif(),  &format_bmp(), &format_tif(),
        &format_psd(), &format_pdf(),  &format_zip(),  &format_ole(), &format_rtf(),
        &format_mp3(), &format_riff(), &format_mp4(),  &format_mkv(), &format_flac(),
        &format_ogg(), &format_7z(),   &format_rar(),  &format_gz(),  &format_sqlite(),
        &format_exe(),
    };
    return table;
}
