#pragma once
// An engine-neutral listing of a finished scan for the command line and tests.

#include <QList>
#include <QString>
#include <cstdint>

struct found_row_s {
    int64_t id = 0;        // what recover_file / get_file_path take
    int64_t parent_id = -1; // -1 for top-level rows
    QString name;          // as indexed ("#" first for deleted FAT names)
    QString path;          // names from the top row down, joined with "/", starting with "/"
    uint64_t size = 0;
    int64_t modified_time = 0;
    int64_t created_time = 0;
    bool directory = false;
    bool deleted = false;
    QString extension;     // deep scan: the category
};
