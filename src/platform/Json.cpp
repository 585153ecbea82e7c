#include "platform/Json.h"

#include "platform/Format.h"

// Boost.JSON's implementation, once for the whole program.
#include <boost/json/src.hpp>

#include <algorithm>

namespace pelto {
namespace json = boost::json;
namespace {

class TJsonWriter {
public:
    explicit TJsonWriter(const TJsonLayout& Layout) : FLayout(Layout) {}

    void Write(const json::value& Value, int Depth) {
        switch (Value.kind()) {
        case json::kind::array:
            WriteContainer(Value, Value.get_array(), Depth, '[', ']',
                           [&](const json::value& Element) { Write(Element, Depth + 1); });
            break;
        case json::kind::object:
            WriteContainer(Value, Value.get_object(), Depth, '{', '}',
                           [&](const json::key_value_pair& Member) {
                               FText += json::serialize(Member.key());
                               FText += Compact() ? ":" : ": ";
                               Write(Member.value(), Depth + 1);
                           });
            break;
        case json::kind::double_:
            FText += Format("%.9g", Value.get_double());
            break;
        default:
            FText += json::serialize(Value);
        }
    }

    std::string Text() && { return std::move(FText); }

private:
    bool Compact() const { return FLayout.Spacing == TJsonSpacing::Compact; }

    void BreakLine(int Depth) {
        FText += '\n';
        FText.append(static_cast<std::size_t>(FLayout.Indent * Depth), ' ');
    }

    template <typename TMembers, typename TWriteMember>
    void WriteContainer(const json::value& Container, const TMembers& Members, int Depth, char Open,
                        char Close, TWriteMember WriteMember) {
        const TJsonBreaks Breaks =
            FLayout.Breaks ? FLayout.Breaks(Container, Depth) : TJsonBreaks{};
        const bool Padded = FLayout.Spacing == TJsonSpacing::Padded && !Members.empty();
        FText += Open;
        bool First = true;
        std::size_t Index = 0;
        for (const auto& Member : Members) {
            if (!First)
                FText += ',';
            if (First ? Breaks.AfterOpening : Breaks.BetweenMembers && Index >= Breaks.BreaksFrom)
                BreakLine(Depth + 1);
            else if (First ? Padded : !Compact())
                FText += ' ';
            WriteMember(Member);
            First = false;
            ++Index;
        }
        if (Breaks.BeforeClosing)
            BreakLine(Depth);
        else if (Padded)
            FText += ' ';
        FText += Close;
    }

    const TJsonLayout& FLayout;
    std::string FText;
};

} // namespace

std::string JsonText(const json::value& Value, const TJsonLayout& Layout) {
    TJsonWriter Writer(Layout);
    Writer.Write(Value, 0);
    return std::move(Writer).Text();
}

TJsonBreaks OutermostLines(const json::value&, int Depth) {
    return Depth == 0 ? MemberLines : TJsonBreaks{};
}

TJsonBreaks OuterRecordLines(const json::value& Container, int Depth) {
    return Depth == 1 && IsRecordList(Container) ? TJsonBreaks{true, true, false, 0}
                                                 : TJsonBreaks{};
}

bool IsRecordList(const json::value& Value) {
    const json::array* Array = Value.if_array();
    return Array && !Array->empty() &&
           std::all_of(Array->begin(), Array->end(),
                       [](const json::value& Element) { return Element.is_object(); });
}

bool HoldsContainers(const json::value& Value) {
    const auto IsContainer = [](const json::value& Member) {
        return Member.is_structured();
    };
    if (const json::array* Array = Value.if_array())
        return std::any_of(Array->begin(), Array->end(), IsContainer);
    if (const json::object* Object = Value.if_object())
        return std::any_of(Object->begin(), Object->end(), [&](const json::key_value_pair& Member) {
            return IsContainer(Member.value());
        });
    return false;
}

std::string JsonString(std::string_view Utf8) {
    return json::serialize(json::string_view(Utf8.data(), Utf8.size()));
}

} // namespace pelto
