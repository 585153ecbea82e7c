#include "model/ItemJsonFields.h"

#include "game/wloutils.h"
#include "platform/ShiftJis.h"

#include <boost/json.hpp>

namespace pelto {
namespace json = boost::json;
namespace {

// The words of a field that holds N, as one JSON array.
template <int N, typename TGet> json::value ArrayOf(TGet Get) {
    json::array Values;
    for (int I = 0; I < N; ++I)
        Values.emplace_back(Get(I));
    return Values;
}

} // namespace

const std::array<TItemJsonField, 11> ItemJsonFields{{
    {"kind", [](const TWLOItemData& R) { return json::value(unsigned{R.Kind()}); }, false, true},
    {"id", [](const TWLOItemData& R) { return json::value(R.ItemID()); }, false, false},
    {"icon", [](const TWLOItemData& R) { return json::value(R.IconNo()); }, false, true},
    {"sprite",
     [](const TWLOItemData& R) { return ArrayOf<4>([&](int G) { return R.SpriteNo(G); }); }, true,
     true},
    {"stat_type",
     [](const TWLOItemData& R) { return ArrayOf<2>([&](int I) { return R.StatType(I); }); }, false,
     true},
    {"stat_value",
     [](const TWLOItemData& R) { return ArrayOf<2>([&](int I) { return R.StatValue(I); }); }, false,
     true},
    {"slot", [](const TWLOItemData& R) { return json::value(unsigned{R.Slot()}); }, true, true},
    {"colors",
     [](const TWLOItemData& R) { return ArrayOf<16>([&](int W) { return R.ColorWord(W); }); }, true,
     true},
    {"list_number", [](const TWLOItemData& R) { return json::value(unsigned{R.ListNumber()}); },
     false, true},
    {"name", [](const TWLOItemData& R) { return json::value(SjisToUtf8(R.Name())); }, false, true},
    {"text", [](const TWLOItemData& R) { return json::value(SjisToUtf8(R.Text())); }, false, true},
}};

} // namespace pelto
