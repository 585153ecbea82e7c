#include "model/CodeText.h"

#include "model/CharaCode.h"
#include "model/InvalidCode.h"
#include "model/UDraw.h"

#include <gtest/gtest.h>

using namespace pelto;

TEST(CodeText, CodesComeBackFromQueryStringsAndTheUrlSafeAlphabet) {
    EXPECT_EQ(NormalizeCode("ab cd-ef_gh+ij/k"), "ab+cd+ef/gh+ij/k");
    // A leading "+" arrives from a query string as a space and is kept.
    EXPECT_EQ(NormalizeCode(" abc"), "+abc");
}

TEST(CodeText, LineBreaksAreNoPartOfACode) {
    EXPECT_EQ(NormalizeCode("ab\r\ncd\n"), "abcd");
}

TEST(CodeText, APastedCodeLosesItsBlanksAndLabel) {
    EXPECT_EQ(CleanPastedCode("  code: AB+c/\r\n"), "AB+c/");
    EXPECT_EQ(CleanPastedCode("CODE:\tAB"), "AB");
    EXPECT_EQ(CleanPastedCode(" AB\ncd "), "ABcd");
    EXPECT_EQ(CleanPastedCode("AB-cd_e"), "AB+cd/e");
}

TEST(CodeText, NothingButBlanksOrALabelIsNoCode) {
    EXPECT_EQ(CleanPastedCode(" \r\n\t"), "");
    EXPECT_EQ(CleanPastedCode("code:  "), "");
    EXPECT_EQ(CleanPastedCode("cod"), "cod");
}

TEST(CodeText, EverySpellingOfOneDesignHasOneCanonicalCode) {
    TCharaDesign Design;
    Design.Chara = 3;
    Design.Parts[0] = 1234;
    const std::string Code = EncodeCharaCode(Design);
    EXPECT_EQ(CanonicalCode(Code), Code);
    // Padding the decoder takes, and a spelling it passes over, are the same design.
    EXPECT_EQ(CanonicalCode(Code + "="), CanonicalCode(Code));
}

TEST(CodeText, WhatIsNoCodeOfACharacterHasNoCanonicalCode) {
    TCharaDesign Design;
    Design.Chara = 3;
    const std::string Code = EncodeCharaCode(Design);
    for (const std::string& Bad :
         {Code.substr(0, 3), std::string(),
          Code.substr(0, 3) + std::string(1, '\0') + Code.substr(3), Code + " ", Code + "*"})
        EXPECT_THROW((void)CanonicalCode(Bad), EInvalidCode) << Bad;
}
