#include "buffer/address_set.h"

Address AddressSet::Count() const
{
    Address total = 0;
    for (const auto& [first, last] : ranges_)
        total += last - first + 1;
    return total;
}

Address AddressSet::Lowest() const
{
    return ranges_.empty() ? kNoAddress : ranges_.begin()->first;
}

Address AddressSet::Highest() const
{
    return ranges_.empty() ? kNoAddress : ranges_.rbegin()->second;
}

AddressSet::Map::const_iterator AddressSet::FirstTouching(Address address) const
{
    auto it = ranges_.upper_bound(address);
    if (it != ranges_.begin()) {
        auto before = std::prev(it);
        if (before->second >= address)
            return before;
    }
    return it;
}

bool AddressSet::Contains(Address address) const
{
    return Intersects(address, address);
}

bool AddressSet::Intersects(Address first, Address last) const
{
    if (first > last)
        return false;
    auto it = FirstTouching(first);
    return it != ranges_.end() && it->first <= last;
}

void AddressSet::Add(Address first, Address last)
{
    if (first > last)
        return;
    // Ranges that overlap or touch first..last are merged into it.
    auto it = FirstTouching(first == kNoAddress ? first : first - 1);
    while (it != ranges_.end() && it->first <= last + 1) {
        if (it->first < first)
            first = it->first;
        if (it->second > last)
            last = it->second;
        it = ranges_.erase(it);
    }
    ranges_.emplace_hint(it, first, last);
}

void AddressSet::Add(const AddressSet& other)
{
    for (const auto& [first, last] : other.ranges_)
        Add(first, last);
}

void AddressSet::Remove(Address first, Address last)
{
    if (first > last)
        return;
    auto it = FirstTouching(first);
    while (it != ranges_.end() && it->first <= last) {
        const Address from = it->first;
        const Address to = it->second;
        it = ranges_.erase(it);
        if (from < first)
            ranges_.emplace_hint(it, from, first - 1);
        if (to > last) {
            ranges_.emplace_hint(it, last + 1, to);
            break;
        }
    }
}

void AddressSet::Keep(Address first, Address last)
{
    if (first > last) {
        ranges_.clear();
        return;
    }
    const Address lowest = Lowest();
    const Address highest = Highest();
    if (lowest == kNoAddress)
        return;
    if (lowest < first)
        Remove(lowest, first - 1);
    if (highest > last)
        Remove(last + 1, highest);
}

void AddressSet::Shift(Address delta)
{
    if (delta == 0)
        return;
    Map moved;
    for (const auto& [first, last] : ranges_)
        moved.emplace_hint(moved.end(), first + delta, last + delta);
    ranges_.swap(moved);
}

std::vector<AddressSet::Range> AddressSet::Ranges() const
{
    std::vector<Range> out;
    out.reserve(ranges_.size());
    for (const auto& [first, last] : ranges_)
        out.push_back({first, last});
    return out;
}
