#include "model/UDraw.h"

#include "game/wloutils.h"
#include "model/InvalidCode.h"
#include "model/UCommon.h"
#include "platform/Base64.h"
#include "platform/Crc8.h"
#include "platform/Errors.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelto;

namespace {

// No sprite files: codes work on state alone.
class CharaCode : public ::testing::Test {
protected:
    void SetUp() override {
        TItemTableWriter Writer;
        for (const auto& [Id, Slot] :
             std::vector<std::pair<int, int>>{{501, 1}, {502, 2}, {506, 6}, {777, 3}}) {
            TItemInfo Info;
            Info.ItemID = static_cast<std::uint16_t>(Id);
            Info.Slot = static_cast<std::uint8_t>(Slot);
            Info.SpriteNo = {2001, 3001, 4001, Id == 502 ? std::uint16_t{0} : std::uint16_t{5001}};
            Writer.Add(Info);
        }
        TMemoryStream Stream(Writer.Build());
        Items.LoadFromStream(Stream);
        EquipList = std::make_unique<TEquipList>(Items);
        Chara.SetEquipList(EquipList.get());
    }

    // Why Code was refused; the message is the same for every reason.
    std::optional<TInvalidCodeReason> ExpectInvalid(const std::string& Code) {
        const std::string Before = Chara.GetCode();
        std::optional<TInvalidCodeReason> Reason;
        try {
            Chara.SetCode(Code);
            ADD_FAILURE() << "accepted " << Code;
        } catch (const EInvalidCode& E) {
            EXPECT_STREQ(E.what(), "Invalid code error.");
            Reason = E.Reason().Kind;
            EXPECT_EQ(E.Reason().Text,
                      InvalidCodeReasonTexts[static_cast<std::size_t>(E.Reason().Kind)]);
        }
        EXPECT_EQ(Chara.GetCode(), Before);
        return Reason;
    }

    static std::string Encode(std::vector<std::uint8_t> Bytes) {
        Bytes.push_back(Crc8Maxim(Bytes));
        return Base64Encode(Bytes);
    }

    TJmaList JmaList;
    TWLOItemDataFile Items;
    std::unique_ptr<TEquipList> EquipList;
    TBitmap Canvas{128, 128, TPixelFormat::pf24bit};
    TDrawChara Chara{Canvas, JmaList};
};

} // namespace

TEST(Crc8, MatchesTheMaximCheckValue) {
    const std::string Check = "123456789";
    EXPECT_EQ(
        Crc8Maxim(std::span(reinterpret_cast<const std::uint8_t*>(Check.data()), Check.size())),
        0xA1);
}

TEST(Base64, EncodesAndDecodesSkippingForeignCharacters) {
    const std::vector<std::uint8_t> Bytes{0x01, 0x00, 0x00, 0x1C, 0x07, 0xF4, 0x7A, 0x67, 0x3C};
    EXPECT_EQ(Base64Encode(Bytes), "AQAAHAf0emc8");
    EXPECT_EQ(Base64Decode(" AQAA\r\nHAf0 emc8\t"), Bytes);
    EXPECT_EQ(Base64Encode(std::vector<std::uint8_t>{'a'}), "YQ==");
    EXPECT_EQ(Base64Encode(std::vector<std::uint8_t>{'a', 'b'}), "YWI=");
    EXPECT_EQ(Base64Decode("YWI="), (std::vector<std::uint8_t>{'a', 'b'}));
    EXPECT_TRUE(Base64Decode("!!").empty());
}

TEST_F(CharaCode, IsEmptyWithoutACharacter) {
    EXPECT_EQ(Chara.GetCode(), "");
}

TEST_F(CharaCode, EncodesTheKnownExamples) {
    Chara.SetChara(0);
    EXPECT_EQ(Chara.GetCode(), "AQAAHAf0emc8");
    Chara.SetChara(14);
    EXPECT_EQ(Chara.GetCode(), "AQ4AHAf0emdD");
}

TEST_F(CharaCode, RestoresCharacterItemsAndColours) {
    Chara.SetChara(3);
    Chara.SetPart(1, EquipList->FindItem(2, 1, 501));
    Chara.SetPart(6, EquipList->FindItem(2, 6, 506));
    Chara.SetColor(0, 0, 9);
    Chara.SetColor(3, 2, 0);
    Chara.SetColor(1, 1, 7);
    const std::string Code = Chara.GetCode();

    TBitmap OtherCanvas(128, 128, TPixelFormat::pf24bit);
    TDrawChara Other(OtherCanvas, JmaList);
    Other.SetEquipList(EquipList.get());
    Other.SetCode(Code);
    EXPECT_EQ(Other.Chara(), 3);
    EXPECT_EQ(Other.GetPart(1)->ItemID(), 501);
    EXPECT_EQ(Other.GetPart(2), nullptr);
    EXPECT_EQ(Other.GetPart(6)->ItemID(), 506);
    EXPECT_EQ(Other.GetColor(0, 0), 9);
    EXPECT_EQ(Other.GetColor(3, 2), 0);
    EXPECT_EQ(Other.GetColor(1, 1), 7);
    EXPECT_EQ(Other.GetCode(), Code);

    Other.SetCode(Code); // applying the current code changes nothing
    EXPECT_EQ(Other.GetCode(), Code);
}

TEST_F(CharaCode, AcceptsBlanksAndLineBreaksInside) {
    Chara.SetCode(" AQ4A\nHAf0\r\nemdD ");
    EXPECT_EQ(Chara.Chara(), 14);
}

TEST_F(CharaCode, EmptiesSlotsWhoseItemTheGroupCannotWear) {
    // Item 502 is a body item of groups 0..2 only; character 7 is of group 3.
    Chara.SetCode(Encode({1, 7, 0b000011, 0xF5, 0x01, 0xF6, 0x01, 0x1C, 0x07, 0xF4, 0x7A, 0x67}));
    EXPECT_EQ(Chara.Chara(), 7);
    EXPECT_EQ(Chara.GetPart(1)->ItemID(), 501);
    EXPECT_EQ(Chara.GetPart(2), nullptr);
}

TEST_F(CharaCode, SkipsMaskBitsSixAndSevenAndToleratesExtraBytes) {
    Chara.SetCode(Encode({1, 2, 0b11000001, 0xF5, 0x01, 0xAA, 0xBB, 0xCC, 0xDD, 0x1C, 0x07, 0xF4,
                          0x7A, 0x67, 0x99, 0x98}));
    EXPECT_EQ(Chara.Chara(), 2);
    EXPECT_EQ(Chara.GetPart(1)->ItemID(), 501);
    EXPECT_EQ(Chara.GetCode(), Encode({1, 2, 1, 0xF5, 0x01, 0x1C, 0x07, 0xF4, 0x7A, 0x67}));
}

TEST_F(CharaCode, KeepsTheCurrentCharacterForAnIndexAbove14) {
    Chara.SetChara(5);
    Chara.SetColor(2, 2, 9);
    // Character 200, no items, colour number 444444444445: only the last level changes.
    Chara.SetCode(Encode({1, 200, 0, 0x1D, 0x07, 0xF4, 0x7A, 0x67}));
    EXPECT_EQ(Chara.Chara(), 5);
    EXPECT_EQ(Chara.GetColor(2, 2), 4);
    EXPECT_EQ(Chara.GetColor(3, 2), 5);

    TBitmap OtherCanvas(128, 128, TPixelFormat::pf24bit);
    TDrawChara Fresh(OtherCanvas, JmaList);
    Fresh.SetCode(Encode({1, 200, 0, 0x1D, 0x07, 0xF4, 0x7A, 0x67}));
    EXPECT_EQ(Fresh.Chara(), -1);
}

TEST_F(CharaCode, RefusesWhatIsNotACode) {
    Chara.SetChara(4);
    ExpectInvalid("");
    ExpectInvalid("   ");
    ExpectInvalid("AQAAHAf0emc9");
    ExpectInvalid(Encode({1, 0, 0b1, 0xF5, 0x01, 0x1C, 0x07, 0xF4})); // too short for its mask
    ExpectInvalid(Encode({1}));
}

TEST_F(CharaCode, CatchesEverySingleCharacterChange) {
    Chara.SetChara(6);
    Chara.SetPart(1, EquipList->FindItem(2, 1, 501));
    Chara.SetColor(1, 2, 8);
    const std::string Code = Chara.GetCode();
    const std::string Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t I = 0; I < Code.size() && Code[I] != '='; ++I) {
        for (const char C : Alphabet) {
            std::string Changed = Code;
            Changed[I] = C;
            if (Changed == Code || Base64Decode(Changed) == Base64Decode(Code))
                continue;
            ExpectInvalid(Changed);
        }
    }
}

TEST_F(CharaCode, NeverFailsOtherwiseOnArbitraryTextAndARefusalChangesNothing) {
    Chara.SetChara(6);
    Chara.SetPart(1, EquipList->FindItem(2, 1, 501));
    Chara.SetColor(1, 2, 8);
    std::mt19937 Random(7);
    int Refused = 0;
    for (int Round = 0; Round < 2000; ++Round) {
        std::string Text(Random() % 65, ' ');
        for (char& C : Text)
            C = static_cast<char>(Random());
        const std::string Before = Chara.GetCode();
        try {
            Chara.SetCode(Text);
        } catch (const EWloError&) {
            ++Refused;
            ASSERT_EQ(Chara.GetCode(), Before) << "round " << Round;
        }
    }
    EXPECT_GT(Refused, 0);
}

TEST_F(CharaCode, SaysWhyATextIsNoCode) {
    using enum TInvalidCodeReason;
    Chara.SetChara(4);
    EXPECT_EQ(ExpectInvalid(""), Empty);
    EXPECT_EQ(ExpectInvalid(" \r\n\t"), Empty);
    EXPECT_EQ(ExpectInvalid("!!!!"), ForeignCharacters);
    EXPECT_EQ(ExpectInvalid("\xE3\x81\x82"), ForeignCharacters); // UTF-8 of a kana
    // A foreign character is named before the failure it likely caused.
    EXPECT_EQ(ExpectInvalid("AQAAHAf0em-c9"), ForeignCharacters);
    EXPECT_EQ(ExpectInvalid("AQAA"), TooShort);
    EXPECT_EQ(ExpectInvalid("AQAAHAf0em"), TooShort); // one byte short, whatever its check
    EXPECT_EQ(ExpectInvalid(Encode({1})), TooShort);
    EXPECT_EQ(ExpectInvalid("AQAA=HAf0emc8"), TooShort); // "=" ends the code
    EXPECT_EQ(ExpectInvalid("AQAAHAf0emc9"), Checksum);
    // Codes one after the other check as the first one; a changed last one does not.
    Chara.SetCode("AQAAHAf0emc8AQ4AHAf0emdD");
    EXPECT_EQ(Chara.Chara(), 0);
    EXPECT_EQ(ExpectInvalid("AQAAHAf0emc8AQAAHAf0emc9"), Checksum); // 18 bytes
    EXPECT_EQ(ExpectInvalid("AQAAHAf0emc8AQAAHAf0emc8AQAAHAf0emc9"), TooLong);
    EXPECT_EQ(ExpectInvalid(Encode({1, 0, 0b1, 0xF5, 0x01, 0x1C, 0x07, 0xF4})), Truncated);
    EXPECT_EQ(ExpectInvalid(Encode({1, 0, 0xFF, 0xF5, 0x01, 0x1C, 0x07, 0xF4, 0x7A})), Truncated);

    // The smallest record shares its last colour byte with the check byte, and is a code.
    std::vector<std::uint8_t> Smallest{1, 3, 0, 0x1C, 0x07, 0xF4, 0x7A};
    Smallest.push_back(Crc8Maxim(Smallest));
    Chara.SetCode(Base64Encode(Smallest));
    EXPECT_EQ(Chara.Chara(), 3);
    // A valid code with a character that is not part of it is still one.
    Chara.SetCode("AQ4A!HAf0emdD");
    EXPECT_EQ(Chara.Chara(), 14);
}
