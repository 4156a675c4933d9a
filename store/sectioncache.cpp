#include "store/sectioncache.h"

#include <algorithm>

namespace ostrel {

void SectionCache::clear()
{
    m_valid = false;
    m_ids.clear();
    m_rows.clear();
    m_dead.clear();
    m_deadCount = 0;
}

void SectionCache::compact()
{
    size_t kept = 0;
    for (size_t i = 0; i < m_ids.size(); ++i) {
        if (m_dead[i])
            continue;
        m_ids[kept] = m_ids[i];
        m_rows[qsizetype(kept)] = std::move(m_rows[qsizetype(i)]);
        ++kept;
    }
    m_ids.resize(kept);
    m_rows.resize(qsizetype(kept));
    m_dead.assign(kept, false);
    m_deadCount = 0;
}

size_t SectionCache::find(qint64 id) const
{
    return size_t(std::lower_bound(m_ids.begin(), m_ids.end(), id) - m_ids.begin());
}

void SectionCache::saved(qint64 id, const QString &key, const QString &value)
{
    const size_t at = find(id);
    if (at < m_ids.size() && m_ids[at] == id) {
        // A replaced value keeps the key as first written; a dead entry whose id
        // SQLite handed out again is a new key in the same place.
        if (m_dead[at]) {
            m_rows[qsizetype(at)].key = key;
            m_dead[at] = false;
            --m_deadCount;
        }
        m_rows[qsizetype(at)].value = value;
        return;
    }
    m_ids.insert(m_ids.begin() + qsizetype(at), id);
    m_rows.insert(m_rows.begin() + qsizetype(at), SettingRow{key, value});
    m_dead.insert(m_dead.begin() + qsizetype(at), false);
}

void SectionCache::deleted(qint64 id)
{
    const size_t at = find(id);
    if (at < m_ids.size() && m_ids[at] == id && !m_dead[at]) {
        m_dead[at] = true;
        ++m_deadCount;
    }
}

SectionCache::Refill::Refill(
    SectionCache &cache, const QString &application, const QString &section, qsizetype expectedRows)
    : m_cache(cache)
    , m_application(application)
    , m_section(section)
{
    if (cache.holds(application, section))
        m_previous = std::move(cache);
    cache.clear();
    // Growing the lists row by row copies them again and again, into memory fresh from
    // the system each time: at 350,000 rows, about a fifth of the read.
    cache.m_ids.reserve(size_t(expectedRows));
    cache.m_rows.reserve(expectedRows);
}

SectionCache::Refill::~Refill()
{
    if (!m_finished)
        m_cache.clear();
}

void SectionCache::Refill::finish(qint64 dataVersion)
{
    // Rows of other sections between these, or many deleted, made the span too wide.
    if (m_cache.m_rows.capacity() > 2 * m_cache.m_rows.size() + 1024) {
        m_cache.m_ids.shrink_to_fit();
        m_cache.m_rows.squeeze();
    }
    m_cache.m_dead.assign(m_cache.m_ids.size(), false);
    m_cache.m_application = m_application;
    m_cache.m_section = m_section;
    m_cache.m_dataVersion = dataVersion;
    m_cache.m_valid = true;
    m_finished = true;
}

} // namespace ostrel
