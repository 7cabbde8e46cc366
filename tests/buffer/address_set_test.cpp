#include "buffer/address_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// The set against a plain set of addresses under random adds and removes.
TEST(AddressSet, AgreesWithAPlainSetUnderRandomAddsAndRemoves)
{
    std::mt19937 random(7);
    AddressSet set;
    std::set<Address> reference;
    for (int step = 0; step < 4000; ++step) {
        const Address first = random() % 300;
        const Address last = first + random() % 12;
        if (random() % 3) {
            set.Add(first, last);
            for (Address a = first; a <= last; ++a)
                reference.insert(a);
        } else {
            set.Remove(first, last);
            for (Address a = first; a <= last; ++a)
                reference.erase(a);
        }
        if (step % 97 == 0) {
            const Address from = random() % 300;
            set.Keep(from, from + 120);
            std::erase_if(reference, [&](Address a) { return a < from || a > from + 120; });
        }
        ASSERT_EQ(set.Count(), Address(reference.size()));
        // Ranges are disjoint and never touch, so each run of the reference is one range.
        Address previous = -2;
        for (const auto& range : set.Ranges()) {
            ASSERT_GT(range.first, previous + 1);
            previous = range.last;
        }
        const Address probe = random() % 320;
        ASSERT_EQ(set.Contains(probe), reference.count(probe) == 1);
    }
}

TEST(AddressSet, EdgesOfTheSpaceShiftAndClippedWalks)
{
    AddressSet set;
    EXPECT_EQ(set.Lowest(), kNoAddress);
    set.Add(0, 0);
    set.Add(0xFFFFFFF0, 0xFFFFFFFF);
    set.Add(2, 1);  // reversed: nothing
    EXPECT_EQ(set.RangeCount(), 2u);
    EXPECT_EQ(set.Lowest(), 0);
    EXPECT_EQ(set.Highest(), 0xFFFFFFFF);
    EXPECT_TRUE(set.Intersects(0x10, 0xFFFFFFF0));
    EXPECT_FALSE(set.Intersects(1, 0xFFFFFFEF));

    std::vector<AddressSet::Range> seen;
    set.ForEachIn(0xFFFFFFF8, 0x1FFFFFFFF, [&](Address f, Address l) { seen.push_back({f, l}); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (AddressSet::Range{0xFFFFFFF8, 0xFFFFFFFF}));

    set.Remove(0, 0);
    set.Shift(-Address{0xFFFFFFF0});
    EXPECT_EQ(set.Ranges(), (std::vector<AddressSet::Range>{{0, 15}}));
}

}  // namespace
