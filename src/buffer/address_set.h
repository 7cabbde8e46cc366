#pragma once
// A set of addresses kept as disjoint, non-touching inclusive ranges: which
// addresses of an image hold data, as opposed to never having been given a
// byte. It costs one map node per range, whatever the ranges' lengths, so a
// dense image costs a few dozen bytes and a scattered one a node per run.

#include "buffer/address.h"

#include <cstddef>
#include <map>
#include <vector>

class AddressSet {
public:
    struct Range {
        Address first;
        Address last;
        bool operator==(const Range&) const = default;
    };

    bool Empty() const { return ranges_.empty(); }
    void Clear() { ranges_.clear(); }
    // Number of ranges, and of addresses in all of them.
    size_t RangeCount() const { return ranges_.size(); }
    Address Count() const;
    // The lowest and highest address in the set; kNoAddress when empty.
    Address Lowest() const;
    Address Highest() const;

    bool Contains(Address address) const;
    // True when any address of first..last is in the set.
    bool Intersects(Address first, Address last) const;

    // first..last inclusive; empty or reversed ranges change nothing.
    void Add(Address first, Address last);
    void Remove(Address first, Address last);
    void Add(const AddressSet& other);
    // Keeps only the addresses inside first..last.
    void Keep(Address first, Address last);
    // Moves every range by `delta`; the caller keeps the result in range.
    void Shift(Address delta);

    // visit(first, last) for each range, lowest first.
    template <class Visit>
    void ForEach(Visit&& visit) const
    {
        for (const auto& [first, last] : ranges_)
            visit(first, last);
    }
    // visit(first, last) for each range's part inside first..last.
    template <class Visit>
    void ForEachIn(Address first, Address last, Visit&& visit) const
    {
        for (auto it = FirstTouching(first); it != ranges_.end() && it->first <= last; ++it)
            visit(it->first < first ? first : it->first, it->second > last ? last : it->second);
    }
    std::vector<Range> Ranges() const;

    bool operator==(const AddressSet&) const = default;

private:
    using Map = std::map<Address, Address>;
    // The first range whose last address is at or above `address`.
    Map::const_iterator FirstTouching(Address address) const;

    Map ranges_;
};
