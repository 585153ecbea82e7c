#include "model/CharaDesign.h"

#include "model/CharaCode.h"
#include "model/GameData.h"
#include "model/UCommon.h"
#include "requests/DesignEdits.h"
#include "requests/RenderRequest.h"
#include "support/DemoGame.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace pelto;

namespace {

// Characters of the demo by body group: Rocco (0), Nina (1), Daniel (2), Iris and Lique (3).
constexpr int Rocco = 0;
constexpr int Nina = 1;
constexpr int Daniel = 3;
constexpr int Iris = 7;
constexpr int Lique = 8;
constexpr int DanielGroup = 2;
constexpr long Claymore = 3007; // "[15] Claymore", a hand item of body group 2 only

const TGameData& Game() {
    static const auto Loaded = [] {
        auto Game = std::make_unique<TGameData>(test::DemoGame());
        Game->LoadAll();
        return Game;
    }();
    return *Loaded;
}

const std::vector<TEquipEntry>& ListOf(int Chara, int Slot) {
    return Game().EquipList()->GetList(CharaData[static_cast<std::size_t>(Chara)].BodyGroup, Slot);
}

bool InList(int Chara, int Slot, std::uint16_t Id) {
    for (const TEquipEntry& Entry : ListOf(Chara, Slot))
        if (Entry.Item && Entry.Item->ItemID() == Id)
            return true;
    return false;
}

// Chara wearing the first item of every list, with position 1 recoloured.
TCharaDesign Dressed(int Chara) {
    TCharaDesign Design = WithChara({}, Chara);
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (ListOf(Chara, Slot).size() > 1)
            Design = WithItem(Design, Game(), Slot, ListOf(Chara, Slot)[1].Item->ItemID());
    return WithLevels(Design, 1, {7, 1, 0});
}

std::string RefusalOf(const std::function<void()>& Edit) {
    try {
        Edit();
    } catch (const EDesignRefused& Refused) {
        return Refused.what();
    }
    return "not refused";
}

TDesignEdits Parsed(const TEditParams& Params, const TEditDialect& Dialect = CommandLineEdits) {
    return ParseDesignEdits(Params, Dialect);
}

std::string ParseError(const TEditParams& Params, const TEditDialect& Dialect = CommandLineEdits) {
    try {
        ParseDesignEdits(Params, Dialect);
    } catch (const ERequestError& Error) {
        return Error.what();
    }
    return "no error";
}

} // namespace

TEST(DesignEdits, AChangeOfCharacterKeepsTheItemsOfItsGroupAndResetsTheColours) {
    const TCharaDesign Iris_ = Dressed(Iris);
    const TCharaDesign Same = WithChara(Iris_, Lique);
    EXPECT_EQ(Same.Chara, Lique);
    EXPECT_EQ(Same.Parts, Iris_.Parts);
    EXPECT_EQ(Same.Color, NeutralColors);

    const TCharaDesign Other = WithChara(Iris_, Rocco);
    EXPECT_EQ(Other, WithChara({}, Rocco)) << "another group: every item goes";
    EXPECT_EQ(WithChara(Iris_, Iris), Iris_) << "the character shown changes nothing";
    EXPECT_EQ(RefusalOf([&] { WithChara(Iris_, 15); }), "no character 15");
}

TEST(DesignEdits, WearsOnlyWhatTheTableHasAndTheGroupCanWearInThatSlot) {
    const TCharaDesign Daniel_ = WithChara({}, Daniel);
    const TCharaDesign Armed = WithItem(Daniel_, Game(), 3, Claymore);
    EXPECT_EQ(Armed.Part(3), Claymore);
    EXPECT_EQ(WithoutItem(Armed, 3), Daniel_);

    EXPECT_EQ(RefusalOf([&] { WithItem(WithChara({}, Nina), Game(), 3, Claymore); }),
              "Nina cannot wear Claymore [15] in slot 3");
    EXPECT_EQ(RefusalOf([&] { WithItem(Daniel_, Game(), 1, Claymore); }),
              "Daniel cannot wear Claymore [15] in slot 1");
    EXPECT_EQ(RefusalOf([&] { WithItem(Daniel_, Game(), 3, 99999); }), "no item 99999");
    EXPECT_EQ(RefusalOf([&] { WithItem(Daniel_, Game(), 3, 0); }), "no item 0");
    EXPECT_EQ(RefusalOf([&] { WithItem(Daniel_, Game(), 7, Claymore); }), "no slot 7");
    EXPECT_EQ(RefusalOf([&] { WithItem({}, Game(), 3, Claymore); }), "no character is chosen");
    EXPECT_EQ(RefusalOf([&] { WithoutItem({}, 3); }), "no character is chosen");
}

TEST(DesignEdits, SetsLevelsWithinTheirRanges) {
    const TCharaDesign Rocco_ = WithChara({}, Rocco);
    EXPECT_EQ(WithLevel(Rocco_, 2, 1, 9).Color[2], (TPositionLevels{4, 9, 4}));
    EXPECT_EQ(WithLevels(Rocco_, 3, {0, 1, 2}).Color[3], (TPositionLevels{0, 1, 2}));
    EXPECT_EQ(WithNeutralColors(WithLevels(Rocco_, 0, {9, 9, 9})), Rocco_);
    EXPECT_EQ(RefusalOf([&] { WithLevel(Rocco_, 0, 0, 10); }), "no colour level 10");
    EXPECT_EQ(RefusalOf([&] { WithLevel(Rocco_, 4, 0, 1); }), "no colour position 4");
    EXPECT_EQ(RefusalOf([&] { WithLevel(Rocco_, 0, 3, 1); }), "no colour channel 3");
    EXPECT_EQ(RefusalOf([&] { WithNeutralColors({}); }), "no character is chosen");
}

TEST(DesignEdits, SwatchesVaryTheirChannelsAcrossAndDownAndNothingElse) {
    const TCharaDesign Rocco_ = WithLevels(WithChara({}, Rocco), 2, {3, 3, 3});
    const std::vector<TCharaDesign> Row =
        SwatchDesigns(Rocco_, {.Position = 2, .Across = 1, .Down = {}});
    ASSERT_EQ(Row.size(), 10U);
    EXPECT_EQ(Row[7], WithLevel(Rocco_, 2, 1, 7));
    const std::vector<TCharaDesign> Grid =
        SwatchDesigns(Rocco_, {.Position = 2, .Across = 0, .Down = 2});
    ASSERT_EQ(Grid.size(), 100U);
    EXPECT_EQ(Grid[5 * 10 + 8], WithLevels(Rocco_, 2, {8, 3, 5}));
    EXPECT_EQ(RefusalOf([&] { SwatchDesigns(Rocco_, {.Position = 0, .Across = 1, .Down = 1}); }),
              "A swatch grid needs two different colour channels.");
    EXPECT_EQ(RefusalOf([&] { SwatchDesigns(Rocco_, {.Position = 4, .Across = 0, .Down = {}}); }),
              "no colour position 4");
}

TEST(DesignEdits, ADesignIsWornAsASessionPutsItOn) {
    TCharaDesign Odd = Dressed(Daniel);
    Odd.Parts[0] = 3007; // a hand item in the head slot
    Odd.Color[2][1] = 12;
    const TCharaDesign Worn = WornDesign(Odd, Game());
    EXPECT_EQ(Worn.Part(1), 0);
    EXPECT_EQ(Worn.Part(2), Odd.Part(2));
    EXPECT_EQ(Worn.Color[2][1], NeutralLevel);
    Odd.Chara = 15;
    EXPECT_EQ(WornDesign(Odd, Game()), TCharaDesign());

    const TCharaDesign Dressed_ = Dressed(Iris);
    EXPECT_EQ(DesignOfCode(CodeOfDesign(Dressed_), Game()), Dressed_);
    EXPECT_EQ(CodeOfDesign({}), "");
    EXPECT_EQ(DesignOfCode("AcgAHAf0emed", Game()), TCharaDesign()) << "character 200";
    EXPECT_ANY_THROW(DesignOfCode("AQAAHAf0emc9", Game()));
}

TEST(RandomDesign, FillsEveryUnlockedSlotFromItsListAndLeavesTheLockedAsTheyWere) {
    const TCharaDesign Start = Dressed(Daniel);
    std::set<std::uint16_t> Heads;
    for (std::uint64_t Seed = 0; Seed < 300; ++Seed) {
        TRandomOptions Options{.Seed = Seed * 7919};
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            Options.Locks.Slots[static_cast<std::size_t>(Slot - 1)] = (Seed >> Slot) % 3 == 0;
        for (int Position = 0; Position < ColorPositionCount; ++Position)
            Options.Locks.Positions[static_cast<std::size_t>(Position)] = (Seed >> Position) % 2;
        const TCharaDesign Random = RandomDesign(Start, Game(), Options);
        SCOPED_TRACE(Seed);
        EXPECT_EQ(Random.Chara, Daniel);
        for (int Slot = 1; Slot <= SlotCount; ++Slot) {
            if (Options.Locks.Slot(Slot)) {
                EXPECT_EQ(Random.Part(Slot), Start.Part(Slot));
            } else {
                EXPECT_TRUE(InList(Daniel, Slot, Random.Part(Slot))) << "never ---";
            }
        }
        for (int Position = 0; Position < ColorPositionCount; ++Position)
            for (const std::uint8_t Level : Random.Color[static_cast<std::size_t>(Position)])
                EXPECT_LE(Level, MaxLevel);
        for (int Position = 0; Position < ColorPositionCount; ++Position) {
            if (Options.Locks.Position(Position)) {
                EXPECT_EQ(Random.Color[static_cast<std::size_t>(Position)],
                          Start.Color[static_cast<std::size_t>(Position)]);
            }
        }
        EXPECT_EQ(RandomDesign(Start, Game(), Options), Random) << "one seed, one design";
        Heads.insert(Random.Part(1));
    }
    EXPECT_GT(Heads.size(), 2u) << "the seeds give other items";
}

TEST(RandomDesign, VariesWhatItIsAskedToAndNothingAsAskedOnlyWhenAllowed) {
    const TCharaDesign Start = Dressed(Nina);
    bool Emptied = false;
    for (std::uint64_t Seed = 0; Seed < 100; ++Seed) {
        const TCharaDesign Items =
            RandomDesign(Start, Game(), {.Seed = Seed, .Vary = TRandomVary::Items});
        EXPECT_EQ(Items.Color, Start.Color);
        const TCharaDesign Colors =
            RandomDesign(Start, Game(), {.Seed = Seed, .Vary = TRandomVary::Colors});
        EXPECT_EQ(Colors.Parts, Start.Parts);
        const TCharaDesign Any = RandomDesign(Start, Game(), {.Seed = Seed, .AllowEmpty = true});
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            Emptied |= Any.Part(Slot) == 0;
    }
    EXPECT_TRUE(Emptied) << "--- is among the choices when allowed";
}

TEST(RandomDesign, ChoosesACharacterThatCanWearTheLockedItems) {
    const TCharaDesign Armed = WithItem(WithChara({}, Daniel), Game(), 3, Claymore);
    TRandomOptions Options{.Chara = true};
    Options.Locks.Slots[2] = true;
    std::set<int> Charas;
    for (std::uint64_t Seed = 0; Seed < 100; ++Seed) {
        Options.Seed = Seed;
        const TCharaDesign Random = RandomDesign(Armed, Game(), Options);
        EXPECT_EQ(CharaData[static_cast<std::size_t>(Random.Chara)].BodyGroup, DanielGroup);
        EXPECT_EQ(Random.Part(3), Claymore);
        Charas.insert(Random.Chara);
        // Without a character one is always chosen.
        EXPECT_GE(RandomDesign({}, Game(), {.Seed = Seed}).Chara, 0);
    }
    EXPECT_EQ(Charas.size(), 4u) << "every character of the group";
}

TEST(RandomDesign, OneSeedGivesOneDesignOnEveryMachine) {
    // Pinned: a change of the generator, of its mapping or of the order of draws shows here.
    TRandomOptions Options{.Seed = 20240501};
    Options.Locks.Slots[5] = true;
    Options.Locks.Positions[0] = true;
    EXPECT_EQ(CodeOfDesign(RandomDesign(Dressed(Iris), Game(), Options)),
              "AQc/9QPbB8QLrA+SE3oX0vXIkmcO");
    EXPECT_EQ(CodeOfDesign(RandomDesign({}, Game(), {.Seed = 7})), "AQA/6wPdB7sLog+JE34XNaC1vrzd");
}

TEST(DesignEdits, AreAppliedInTheirOrderWhateverTheOrderGiven) {
    // The colour survives the change of character, which comes first; the last wear of a slot
    // wins, and a wear after a strip of the same slot stands.
    const TDesignEdits Edits = Parsed({{"color", "0:9,2,2"},
                                       {"wear", "hand:3008"},
                                       {"strip", "3"},
                                       {"wear", "3:3007"},
                                       {"chara", "3"}});
    const TCharaDesign Design = ApplyDesignEdits(Dressed(Nina), Game(), Edits, CommandLineEdits);
    EXPECT_EQ(Design.Chara, Daniel);
    EXPECT_EQ(Design.Part(3), Claymore);
    EXPECT_EQ(Design.Color[0], (TPositionLevels{9, 2, 2}));
    EXPECT_EQ(Design.Color[1], (TPositionLevels{4, 4, 4}));

    // Random after the reset and before the hand edits: only they are kept.
    const TDesignEdits Random =
        Parsed({{"random", "5"}, {"lock", "color0"}, {"wear", "3:3007"}, {"reset-colors", ""}});
    const TCharaDesign Dressed_ = ApplyDesignEdits(Dressed(Daniel), Game(), Random, QueryEdits);
    EXPECT_EQ(Dressed_.Part(3), Claymore);
    EXPECT_EQ(Dressed_.Color[0], NeutralColors[0]);
}

TEST(DesignEdits, NameTheRefusedEditAsTheFrontEndSpellsIt) {
    const TCharaDesign Nina_ = WithChara({}, Nina);
    const auto Refusal = [&](const TEditParams& Params, const TEditDialect& Dialect) {
        return RefusalOf([&] { ApplyDesignEdits(Nina_, Game(), Parsed(Params), Dialect); });
    };
    EXPECT_EQ(Refusal({{"wear", "3:3007"}}, CommandLineEdits),
              "--wear 3:3007: Nina cannot wear Claymore [15] in slot 3");
    EXPECT_EQ(Refusal({{"wear", "hand:99999"}}, QueryEdits), "wear=hand:99999: no item 99999");
    EXPECT_EQ(RefusalOf([&] {
                  ApplyDesignEdits({}, Game(), Parsed({{"reset-colors", ""}}), CommandLineEdits);
              }),
              "--reset-colors: no character is chosen");
}

TEST(DesignEdits, RefuseWhatTheyCannotReadNamingTheParameter) {
    EXPECT_EQ(ParseError({{"chara", "15"}}), "--chara must be a number from 0 to 14");
    EXPECT_EQ(ParseError({{"chara", "+3"}}, QueryEdits), "chara must be a number from 0 to 14");
    for (const std::string Wear : {"3", "3:", ":12", "7:12", "hat:12", "3:-1", "3:1e3"})
        EXPECT_NE(ParseError({{"wear", Wear}}).find("--wear must be SLOT:ID"), std::string::npos)
            << Wear;
    for (const std::string Color : {"0:1,2", "4:1,2,3", "0:1,2,10", "0:1,2,3,4", "0"})
        EXPECT_NE(ParseError({{"color", Color}}).find("--color must be POS:R,G,B"),
                  std::string::npos)
            << Color;
    EXPECT_NE(ParseError({{"random", "18446744073709551616"}}).find("--random must be"),
              std::string::npos);
    EXPECT_NE(ParseError({{"random", "1"}, {"lock", "1,color4"}}).find("--lock must be"),
              std::string::npos);
    EXPECT_EQ(ParseError({{"random", "1"}, {"vary", "hats"}}),
              "--vary must be items, colors or all");
    EXPECT_EQ(ParseError({{"lock", "1"}}), "--lock goes with --random");
    EXPECT_EQ(ParseError({{"vary", "items"}}, QueryEdits), "vary goes with random");
    EXPECT_EQ(ParseError({{"reset-colors", "2"}}, QueryEdits), "reset-colors must be 0 or 1");

    TEditParams Many;
    for (int I = 0; I < 7; ++I)
        Many.emplace("wear", "1:1001");
    EXPECT_EQ(ParseError(Many), "--wear is given more than 6 times");
    EXPECT_EQ(ParseError({{"chara", "1"}, {"chara", "2"}}, QueryEdits),
              "chara is given more than once");
}

TEST(DesignEdits, KeyTheSameEditsOneWayHoweverSpelt) {
    const TDesignEdits A = Parsed({{"random", "9"},
                                   {"lock", "special,head,color2"},
                                   {"strip", "arm"},
                                   {"wear", "hand:3007"}});
    const TDesignEdits B = Parsed({{"wear", "3:3007"},
                                   {"strip", "4"},
                                   {"lock", "color2,1,6"},
                                   {"vary", "all"},
                                   {"random", "9"}});
    EXPECT_EQ(A.Key(), B.Key());
    EXPECT_EQ(A.Key(), "random=9&lock=1,6,color2&vary=all&strip=4&wear=3:3007");
    EXPECT_NE(A.Key(), Parsed({{"random", "10"}}).Key());
    EXPECT_TRUE(Parsed({}).Empty());
    EXPECT_FALSE(Parsed({{"reset-colors", ""}}).Empty());
    EXPECT_TRUE(Parsed({{"reset-colors", "0"}}, QueryEdits).Empty());
}
