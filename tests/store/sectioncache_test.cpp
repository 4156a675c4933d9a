// The section a file store keeps in memory: its own writes applied to it must leave it as
// a read of the file would find the section.

#include "store/sectioncache.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <utility>

using namespace Qt::StringLiterals;

namespace ostrel {
namespace {

const QString kApp = u"vantrel"_s;
const QString kSection = u"definedtcs"_s;

// The rows as "key=value" in order.
QString shown(SectionCache &cache)
{
    QStringList pairs;
    for (const SettingRow &row : cache.rows())
        pairs << row.key + u'=' + row.value;
    return pairs.join(u' ');
}

// Fills cache with the rows of the given ids, as read at data version 1.
void read(SectionCache &cache, const std::vector<std::pair<qint64, SettingRow>> &rows)
{
    SectionCache::Refill refill(cache, kApp, kSection, qsizetype(rows.size()));
    for (const auto &[id, row] : rows)
        refill.append(id, SettingRow(row));
    refill.finish(1);
}

class SectionCacheTest : public ::testing::Test
{
protected:
    void SetUp() override { read(cache, {{10, {u"a"_s, u"1"_s}}, {20, {u"b"_s, u"2"_s}}, {30, {u"c"_s, u"3"_s}}}); }
    SectionCache cache;
};

// A saved value keeps the key as first written; a new key goes to its id's place, also an id
// another program left free. SQLite hands out the largest id again once its row is gone: the
// key saved under it is a new key, in the dead one's place. Dead entries are compacted away on
// the next read, and the rest stays findable by id.
TEST_F(SectionCacheTest, OwnWritesLeaveTheRowsAsAReadOfTheFileWouldFindThem)
{
    cache.saved(20, u"B"_s, u"two"_s);
    cache.saved(25, u"between"_s, u"x"_s);
    cache.saved(5, u"first"_s, u"y"_s);
    cache.saved(31, u"last"_s, u"z"_s);
    EXPECT_EQ(shown(cache), u"first=y a=1 b=two between=x c=3 last=z"_s);

    cache.deleted(25);
    cache.deleted(7); // no such row
    cache.deleted(31);
    cache.deleted(20);
    cache.saved(31, u"reborn"_s, u"new"_s);
    EXPECT_EQ(shown(cache), u"first=y a=1 c=3 reborn=new"_s);

    cache.saved(30, u"C"_s, u"three"_s);
    cache.saved(20, u"b"_s, u"again"_s);
    cache.deleted(5);
    EXPECT_EQ(shown(cache), u"a=1 b=again c=three reborn=new"_s);
}

// A section read again is held, at its new data version, only once every row is in: half a
// section would be taken for the whole. Meanwhile the rows held under the same ids are offered,
// wherever rows were added or removed between them; another section offers none.
TEST_F(SectionCacheTest, ReadAgainItIsHeldOnlyWhenFinishedAndOffersTheRowsHeldUnderTheSameIds)
{
    EXPECT_TRUE(cache.holds(kApp, kSection, 1));
    EXPECT_FALSE(cache.holds(kApp, kSection, 2));
    EXPECT_FALSE(cache.holds(kApp, u"tcsettings"_s));
    {
        SectionCache::Refill refill(cache, kApp, kSection, 0);
        EXPECT_FALSE(cache.holds(kApp, kSection));
        EXPECT_EQ(refill.previous(5), nullptr);
        ASSERT_NE(refill.previous(10), nullptr);
        EXPECT_EQ(refill.previous(10)->key, u"a"_s);
        EXPECT_EQ(refill.previous(25), nullptr); // between rows held
        ASSERT_NE(refill.previous(30), nullptr);
        EXPECT_EQ(refill.previous(30)->value, u"3"_s);
        EXPECT_EQ(refill.previous(40), nullptr);
        refill.append(10, {u"a"_s, u"1"_s});
        refill.finish(2);
    }
    EXPECT_TRUE(cache.holds(kApp, kSection, 2));
    EXPECT_EQ(shown(cache), u"a=1"_s);
    {
        SectionCache::Refill other(cache, kApp, u"tcsettings"_s, 0);
        EXPECT_EQ(other.previous(10), nullptr);
        other.append(10, {u"Directory Cleanup"_s, u"None"_s});
    }
    EXPECT_FALSE(cache.holds(kApp, u"tcsettings"_s));
    EXPECT_TRUE(cache.rows().empty());
}

} // namespace
} // namespace ostrel
