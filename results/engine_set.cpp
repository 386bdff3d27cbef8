#include "results/engine_set.h"

// The concrete engines are built on their own; the page works with whichever are present.
#if __has_include("engines/fat_recovery.h")
#include "engines/fat_recovery.h"
#define VORN_HAVE_FAT 1
#endif
#if __has_include("engines/ntfs_recovery.h")
#include "engines/ntfs_recovery.h"
#define VORN_HAVE_NTFS 1
#endif
#if __has_include("engines/raw_recovery.h")
#include "engines/raw_recovery.h"
#define VORN_HAVE_RAW 1
#endif

namespace {

class program_engines_c final : public engine_set_c {
public:
    recovery_base_c *engine(engine_kind_e kind) override
    {
        switch (kind) {
#ifdef VORN_HAVE_FAT
        case engine_fat: return &fat_;
#endif
#ifdef VORN_HAVE_NTFS
        case engine_ntfs: return &ntfs_;
#endif
#ifdef VORN_HAVE_RAW
        case engine_deep: return &raw_;
#endif
        default: return nullptr;
        }
    }

    const fat_entry_s *fat_root() override
    {
#ifdef VORN_HAVE_FAT
        auto it = fat_.index().find(0);
        return it == fat_.index().end() ? nullptr : &it.value();
#else
        return nullptr;
#endif
    }

    const ntfs_entry_s *ntfs_root() override
    {
#ifdef VORN_HAVE_NTFS
        auto it = ntfs_.found_index().find(ntfs_root_record);
        return it == ntfs_.found_index().end() ? nullptr : &it.value();
#else
        return nullptr;
#endif
    }

    QList<raw_category_s> raw_categories() override
    {
        QList<raw_category_s> out;
#ifdef VORN_HAVE_RAW
        for (const auto &[extension, ids] : raw_.by_extension)
            out.append({QByteArray(extension.data(), qsizetype(extension.size())), &ids});
#endif
        return out;
    }

    const raw_entry_s *raw_record(int64_t position) override
    {
#ifdef VORN_HAVE_RAW
        if (position >= 0 && uint64_t(position) < uint64_t(raw_.records.size()))
            return &raw_.records[size_t(position)];
#else
        Q_UNUSED(position);
#endif
        return nullptr;
    }

    std::span<const int64_t> category_ids(const void *ids) override
    {
#ifdef VORN_HAVE_RAW
        if (ids) {
            const auto &list = *static_cast<const decltype(raw_.by_extension.begin()->second) *>(ids);
            return {list.data(), size_t(list.size())};
        }
#else
        Q_UNUSED(ids);
#endif
        return {};
    }

    int32_t save_results(const QString &path) override
    {
#ifdef VORN_HAVE_RAW
        return raw_.save_results(path);
#else
        Q_UNUSED(path);
        return -1;
#endif
    }

    QString load_results(const QString &path) override
    {
#ifdef VORN_HAVE_RAW
        return raw_.load_results(path);
#else
        Q_UNUSED(path);
        return {};
#endif
    }

    void load_config() override
    {
#ifdef VORN_HAVE_RAW
        sc_load_config("Vornrecovery.conf");
#endif
    }

private:
#ifdef VORN_HAVE_FAT
    fat_recovery_c fat_;
#endif
#ifdef VORN_HAVE_NTFS
    ntfs_recovery_c ntfs_;
#endif
#ifdef VORN_HAVE_RAW
    raw_recovery_c raw_;
#endif
};

} // namespace

std::unique_ptr<engine_set_c> make_engine_set() { return std::make_unique<program_engines_c>(); }
