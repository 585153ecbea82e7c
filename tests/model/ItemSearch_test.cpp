#include "model/ItemSearch.h"

#include "game/wloutils.h"
#include "platform/ShiftJis.h"
#include "writers/ItemTableWriter.h"

#include "support/WebAssembly.h"

#include <gtest/gtest.h>

#include <thread>

using namespace pelto;

namespace {

constexpr std::uint16_t Atk = 210;
constexpr std::uint16_t Def = 211;
constexpr std::uint16_t Resist = 100;

TItemInfo Item(std::uint16_t ID, const std::string& NameUtf8, const std::string& TextUtf8 = "") {
    TItemInfo Info;
    Info.ItemID = ID;
    Info.Slot = 1;
    Info.SpriteNo = {2001, 2001, 2001, 2001};
    Info.Name = Utf8ToSjis(NameUtf8);
    Info.Text = Utf8ToSjis(TextUtf8);
    return Info;
}

TItemInfo WithBonus(TItemInfo Info, std::uint16_t Type0, int Bonus0, std::uint16_t Type1 = 0,
                    int Bonus1 = 0) {
    Info.StatType = {Type0, Type1};
    Info.StatValue = {100 + Bonus0, 100 + Bonus1};
    return Info;
}

TItemInfo Numbered(TItemInfo Info, std::uint8_t ListNumber) {
    Info.ListNumber = ListNumber;
    return Info;
}

// Names and descriptions go through our item-table writer and reader as Shift-JIS, as the
// game stores them.
class ItemSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        TItemTableWriter Writer;
        Writer.Add(Numbered(Item(1, "ＲＥＤ Hat", "赤い帽子です。"), 12));
        Writer.Add(Item(2, "ﾚｯﾄﾞｷｬｯﾌﾟ"));
        Writer.Add(Item(3, "れっどブーツ", "Boots."));
        Writer.Add(Numbered(Item(4, "Blue Robe", "With a Red lining."), 12));
        Writer.Add(Numbered(WithBonus(Item(1234, "Heavy Hood", "Iron."), Atk, 5, Def, -2), 3));
        Writer.Add(
            Numbered(WithBonus(Item(6, "Green Cap", "Hat of moss."), Resist, 3, Atk, 1), 120));
        TMemoryStream Stream(Writer.Build());
        Table.LoadFromStream(Stream);
        Search = std::make_unique<TItemSearch>(Table.Items());
    }

    // The identifiers of the table's items that match, in table order.
    std::vector<int> Find(const std::string& Query) const {
        std::vector<int> IDs;
        for (const TWLOItemData* Found : Search->FilterTable(TItemQuery::Parse(Query)))
            IDs.push_back(Found->ItemID());
        return IDs;
    }

    TWLOItemDataFile Table;
    std::unique_ptr<TItemSearch> Search;
};

using IDs = std::vector<int>;

} // namespace

TEST(SearchFold, FoldsWidthCaseAndKanaToOneForm) {
    EXPECT_EQ(SearchFold("ＲＥＤ"), "red");
    EXPECT_EQ(SearchFold("Red"), "red");
    EXPECT_EQ(SearchFold("ﾚｯﾄﾞ"), "れっど"); // the voiced mark joins its letter
    EXPECT_EQ(SearchFold("レッド"), "れっど");
    EXPECT_EQ(SearchFold("ﾊﾟﾝ"), "ぱん");
    EXPECT_EQ(SearchFold("a\u3000b"), "a b");
    EXPECT_EQ(SearchFold("＃１２"), "#12");
}

TEST(SearchFold, MapsExactlyTheKatakanaThatHaveHiragana) {
    EXPECT_EQ(SearchFold("ァ"), "ぁ");     // U+30A1, the first
    EXPECT_EQ(SearchFold("ヶ"), "ゖ");     // U+30F6, the last
    EXPECT_EQ(SearchFold("ヴ"), "ゔ");     // U+30F4
    EXPECT_EQ(SearchFold("゠"), "゠");     // U+30A0: none
    EXPECT_EQ(SearchFold("ー"), "ー");     // U+30FC, the long vowel mark: none
    EXPECT_EQ(SearchFold("ヽ"), "ヽ");     // U+30FD: none
    EXPECT_EQ(SearchFold("漢字"), "漢字"); // same lead byte E3..E9 as kana, not kana
}

TEST_F(ItemSearchTest, WritingsOfOneWordFindTheSameItems) {
    for (const char* Query : {"red", "Red", "ＲＥＤ", "ｒｅｄ", "rEd"})
        EXPECT_EQ(Find(Query), (IDs{1, 4})) << Query;
    for (const char* Query : {"レッド", "ﾚｯﾄﾞ", "れっど", "レっド"})
        EXPECT_EQ(Find(Query), (IDs{2, 3})) << Query;
}

TEST_F(ItemSearchTest, EveryTermMustMatchNameOrDescription) {
    EXPECT_EQ(Find("hood heavy"), (IDs{1234}));
    EXPECT_EQ(Find("red　hat"), (IDs{1})); // the ideographic space separates too
    EXPECT_EQ(Find("red\that"), (IDs{1}));
    EXPECT_EQ(Find("red boots"), (IDs{}));
    EXPECT_EQ(Find("帽子 ｒｅｄ"), (IDs{1})); // one in the description, one in the name
    EXPECT_EQ(Find("cap hat"), (IDs{6}));     // "hat" in the description only
    EXPECT_EQ(Find("caphat"), (IDs{}));       // never across name and description
    EXPECT_EQ(Find("ｷｬｯﾌﾟ"), (IDs{2}));
}

TEST_F(ItemSearchTest, EmptyQueryMatchesEverythingInTableOrder) {
    EXPECT_EQ(Find(""), (IDs{1, 2, 3, 4, 1234, 6}));
    EXPECT_EQ(Find(" 　 "), (IDs{1, 2, 3, 4, 1234, 6}));
    EXPECT_TRUE(TItemQuery::Parse("　").Empty());
}

TEST_F(ItemSearchTest, HashAndNumberMatchesTheIdentifierExactly) {
    EXPECT_EQ(Find("#1234"), (IDs{1234}));
    EXPECT_EQ(Find("＃１２３４"), (IDs{1234}));
    EXPECT_EQ(Find("#123"), (IDs{}));
    EXPECT_EQ(Find("#6 cap"), (IDs{6}));
    EXPECT_EQ(Find("#6 hood"), (IDs{}));
    // Not an identifier: searched as text, which no item holds.
    EXPECT_EQ(Find("#70000"), (IDs{}));
    EXPECT_EQ(Find("#12a"), (IDs{}));
    // A number followed by more is a word of its own, not the identifier it begins with.
    EXPECT_EQ(Find("#6abc"), (IDs{}));
    EXPECT_EQ(Find("#1234hood"), (IDs{}));
    const TItemQuery Word = TItemQuery::Parse("#12abc");
    EXPECT_TRUE(Word.IDs.empty());
    EXPECT_EQ(Word.Terms, std::vector<std::string>{"#12abc"});
    EXPECT_EQ(TItemQuery::Parse("#70000").Terms, std::vector<std::string>{"#70000"});
}

TEST_F(ItemSearchTest, BracketedNumberMatchesTheListNumberTheListsShow) {
    EXPECT_EQ(Find("[12]"), (IDs{1, 4}));
    EXPECT_EQ(Find("［１２］"), (IDs{1, 4}));
    EXPECT_EQ(Find("[12] robe"), (IDs{4}));
    EXPECT_EQ(Find("[3]"), (IDs{1234}));
    EXPECT_EQ(Find("[1]"), (IDs{})); // the whole number, not its first digits
    EXPECT_EQ(Find("[120]"), (IDs{6}));
    EXPECT_EQ(Find("[-]"), (IDs{2, 3}));
    EXPECT_EQ(Find("［－］ ｷｬｯﾌﾟ"), (IDs{2}));
    EXPECT_EQ(Find("[3] [12]"), (IDs{}));
    // The number searched for is the one the lists show before the name.
    for (const TWLOItemData* Found : Search->FilterTable(TItemQuery::Parse("[12]")))
        EXPECT_TRUE(EquipEntryText(*Found).starts_with("[12] ")) << EquipEntryText(*Found);
    for (const TWLOItemData* Found : Search->FilterTable(TItemQuery::Parse("[-]")))
        EXPECT_TRUE(EquipEntryText(*Found).starts_with("[-] ")) << EquipEntryText(*Found);
    // Nothing the lists show: a text word, which no name holds.
    for (const char* Text :
         {"[0]", "[012]", "[256]", "[12", "[]", "[a]", "[+3]", "[-3]", "[12]x"}) {
        EXPECT_EQ(TItemQuery::Parse(Text).Terms, std::vector<std::string>{Text});
        EXPECT_EQ(Find(Text), (IDs{})) << Text;
    }
}

TEST_F(ItemSearchTest, BonusConditionsCompareTheBonusNotTheStoredValue) {
    EXPECT_EQ(Find("atk>=5"), (IDs{1234}));
    EXPECT_EQ(Find("ＡＴＫ＞＝５"), (IDs{1234}));
    EXPECT_EQ(Find("atk>5"), (IDs{}));
    EXPECT_EQ(Find("atk>0"), (IDs{1234, 6}));
    EXPECT_EQ(Find("atk=1"), (IDs{6}));
    EXPECT_EQ(Find("def<0"), (IDs{1234}));
    EXPECT_EQ(Find("def<=-2"), (IDs{1234}));
    EXPECT_EQ(Find("def!=0 hood"), (IDs{1234}));
    EXPECT_EQ(Find("atk>0 cap"), (IDs{6}));
    EXPECT_EQ(Find("hp=0"), (IDs{1, 2, 3, 4, 1234, 6})); // no HP bonus is a bonus of 0
    EXPECT_EQ(Find("射撃対抗力>0"), (IDs{6}));
    EXPECT_EQ(Find("射撃対抗力(%)>=3"), (IDs{6}));
    // An unknown label or a bad number leaves a text term.
    EXPECT_EQ(Find("str>=5"), (IDs{}));
    EXPECT_EQ(TItemQuery::Parse("atk>=x").Terms, std::vector<std::string>{"atk>=x"});
    EXPECT_EQ(TItemQuery::Parse("=5").Terms, std::vector<std::string>{"=5"});
    for (const char* TwoSigns : {"atk<--5", "atk<+-5", "atk<--2147483648"})
        EXPECT_EQ(TItemQuery::Parse(TwoSigns).Terms, std::vector<std::string>{TwoSigns});
}

TEST_F(ItemSearchTest, ItemBonusSumsBothBonusesOfAType) {
    TWLOItemData Record = MakeItemRecord(WithBonus(Item(9, "Twice"), Atk, 4, Atk, 3));
    EXPECT_EQ(ItemBonus(Record, Atk), 7);
    EXPECT_EQ(ItemBonus(Record, Def), 0);
    EXPECT_EQ(BonusText(Record), "ATK+7");
    // In the status box's order, whatever the record's.
    EXPECT_EQ(BonusText(MakeItemRecord(WithBonus(Item(9, "Two"), Def, -2, 207, 5))), "HP+5 DEF-2");
    EXPECT_EQ(BonusText(MakeItemRecord(Item(9, "None"))), "");
}

TEST_F(ItemSearchTest, FilterGivesListPositionsInListOrderWithoutNothing) {
    const auto Items = Table.Items();
    // An equipment list in an order of its own, led by "---".
    const std::vector<TEquipEntry> List{
        {nullptr}, {&Items[6]}, {&Items[1]}, {&Items[4]}, {&Items[5]}};
    EXPECT_EQ(Search->Filter(List, TItemQuery::Parse("")), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Search->Filter(List, TItemQuery::Parse("red")), (std::vector<int>{2, 3}));
    EXPECT_EQ(Search->Filter(List, TItemQuery::Parse("atk>0")), (std::vector<int>{1, 4}));
    EXPECT_EQ(Search->Filter(List, TItemQuery::Parse("nothing")), (std::vector<int>{}));
}

TEST_F(ItemSearchTest, APickerShowsTheWholeListOrNothingAndWhatIsFound) {
    const auto Items = Table.Items();
    const std::vector<TEquipEntry> List{
        {nullptr}, {&Items[6]}, {&Items[1]}, {&Items[4]}, {&Items[5]}};
    // Without a query every position, "---" first, as the list holds them.
    EXPECT_EQ(Search->Shown(List, TItemQuery::Parse("")), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Search->Shown(List, TItemQuery::Parse("　 ")), (std::vector<int>{0, 1, 2, 3, 4}));
    // With one, "---" stays so that the slot can still be emptied, even when nothing matches.
    EXPECT_EQ(Search->Shown(List, TItemQuery::Parse("red")), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(Search->Shown(List, TItemQuery::Parse("nothing")), (std::vector<int>{0}));
    EXPECT_EQ(Search->Shown({}, TItemQuery::Parse("")), (std::vector<int>{}));
}

TEST(PickerCursor, GoesToThePickedItemWhenShownElseToTheFirstFound) {
    const std::vector<int> Shown{0, 2, 3};
    EXPECT_EQ(PickerCursor(Shown, 3), 2);
    EXPECT_EQ(PickerCursor(Shown, 0), 0);               // "---" picked and shown
    EXPECT_EQ(PickerCursor(Shown, 1), 1);               // not shown: the first item found
    EXPECT_EQ(PickerCursor(std::vector<int>{0}, 4), 0); // nothing found: "---"
    EXPECT_EQ(PickerCursor({}, 0), 0);
}

TEST_F(ItemSearchTest, SearchesInParallelOnOneIndex) {
    PELTO_SKIP_IN_WEBASSEMBLY("no threads");
    std::vector<std::vector<int>> Results(4);
    std::vector<std::thread> Threads;
    for (std::size_t I = 0; I < Results.size(); ++I)
        Threads.emplace_back([&, I] { Results[I] = Find("れっど"); });
    for (std::thread& Thread : Threads)
        Thread.join();
    for (const auto& Result : Results)
        EXPECT_EQ(Result, (IDs{2, 3}));
}
