#pragma once
// The engines the results page owns, and what the page reads from a finished engine beyond the
// common contract: the roots of the quick-scan indexes and the deep scan's records and categories.
// The page talks to engines only through this interface, so tests can hand it engines of their own.

#include "engines/engine_factory.h"
#include "engines/found_entries.h"
#include "engines/recovery_base.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>

// One extension category of a deep scan: its text and the engine's list of record indexes.
struct raw_category_s {
    QByteArray extension;
    const void *ids = nullptr; // the engine's list; read it with engine_set_c::category_ids
};

class engine_set_c {
public:
    virtual ~engine_set_c() = default;

    // The engine of kind (fat, ntfs, deep); null when that engine is not built in.
    virtual recovery_base_c *engine(engine_kind_e kind) = 0;

    // After the engine's thread has ended (or a load): the index roots, null when absent.
    virtual const fat_entry_s *fat_root() = 0;     // key 0
    virtual const ntfs_entry_s *ntfs_root() = 0;   // record 5
    // Deep scan: the categories in the map's order, one record by position, the ids of one category.
    virtual QList<raw_category_s> raw_categories() = 0;
    virtual const raw_entry_s *raw_record(int64_t position) = 0;
    virtual std::span<const int64_t> category_ids(const void *ids) = 0;

    // Scan file of the deep scan: 0 written / -1; the stored device path or empty.
    virtual int32_t save_results(const QString &path) = 0;
    virtual QString load_results(const QString &path) = 0;
    // Carving configuration, loaded once when the page is built.
    virtual void load_config() = 0;
};

// The program's own engines (those that are built in).
std::unique_ptr<engine_set_c> make_engine_set();
