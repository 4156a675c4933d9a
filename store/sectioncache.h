#pragma once

#include "store/settingsstore.h"

#include <vector>

namespace ostrel {

/// The last section a store enumerated, with the row id of each of its pairs.
///
/// Kept so that a caller who reads the same section again and again (the control does,
/// for every load, save and delete) does not pay for a walk through the file each time.
/// It holds while the file is unchanged: another connection's commit moves PRAGMA
/// data_version, and the store's own writes are applied to it as they succeed. A
/// rolled-back transaction drops it.
class SectionCache
{
public:
    class Refill;

    /// Whether it holds the section of these folded names.
    bool holds(const QString &application, const QString &section) const
    {
        return m_valid && m_application == application && m_section == section;
    }
    /// Whether it holds that section as read at dataVersion of the file.
    bool holds(const QString &application, const QString &section, qint64 dataVersion) const
    {
        return holds(application, section) && m_dataVersion == dataVersion;
    }

    void clear();

    /// A save the store made in row id of the section held: a new key at its place in
    /// creation order, or a new value for a key held.
    void saved(qint64 id, const QString &key, const QString &value);
    /// A delete the store made of row id of the section held.
    void deleted(qint64 id);

    /// The pairs of the section in creation order.
    const SettingRows &rows()
    {
        if (m_deadCount != 0)
            compact();
        return m_rows;
    }

private:
    size_t find(qint64 id) const;
    void compact();

    bool m_valid = false;
    qint64 m_dataVersion = 0;
    QString m_application, m_section; // folded
    // In creation order; a deleted key stays as a dead entry until the next read, so a
    // delete costs no shift of the rows after it.
    std::vector<qint64> m_ids;
    SettingRows m_rows;
    std::vector<bool> m_dead;
    size_t m_deadCount = 0;
};

/// Reads a section into the cache afresh, row by row in the order of their ids. Read
/// again after another program's commit, a section is mostly the rows the cache held:
/// previous() hands them out so that their strings can be taken over. Unless finished,
/// the cache is left empty: half a section is worse than none, as a caller would take it
/// for the whole.
class SectionCache::Refill
{
public:
    /// expectedRows (0 when unknown) is reserved ahead.
    Refill(SectionCache &cache, const QString &application, const QString &section, qsizetype expectedRows);
    ~Refill();
    Refill(const Refill &) = delete;
    Refill &operator=(const Refill &) = delete;

    /// The row of that id the cache held before, or nullptr. Ids must be asked for in
    /// ascending order.
    const SettingRow *previous(qint64 id)
    {
        const std::vector<qint64> &ids = m_previous.m_ids;
        while (m_at < ids.size() && ids[m_at] < id)
            ++m_at;
        return m_at < ids.size() && ids[m_at] == id ? &m_previous.m_rows.at(qsizetype(m_at)) : nullptr;
    }

    void append(qint64 id, SettingRow &&row)
    {
        m_cache.m_ids.push_back(id);
        m_cache.m_rows.push_back(std::move(row));
    }

    /// Every row of the section was appended, as it stood at dataVersion of the file.
    void finish(qint64 dataVersion);

private:
    SectionCache &m_cache;
    SectionCache m_previous;
    QString m_application, m_section;
    size_t m_at = 0; // in m_previous, the first row whose id is not below the last asked for
    bool m_finished = false;
};

} // namespace ostrel
