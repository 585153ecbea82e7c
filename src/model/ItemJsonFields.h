#pragma once

#include <boost/json/value.hpp>

#include <array>
#include <string_view>

namespace pelto {

struct TWLOItemData;

/// One field of an item record as JSON tells it: `items --json`, the service's /items and the
/// game diff's changed fields.
struct TItemJsonField {
    std::string_view Name;
    boost::json::value (*Value)(const TWLOItemData& Item);
    bool Drawn;    // the compositor reads it
    bool Compared; // a change of it is a change of the item; the identifier names the item
};

/// Every field of a record, in the order its JSON gives them.
extern const std::array<TItemJsonField, 11> ItemJsonFields;

} // namespace pelto
