// The export dialog on its own: what each format lets the user set, and what that asks for.
#include "ui/ExportDialog.h"

#include "export/PictureExport.h"

#include <QComboBox>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

using namespace pelto;

TEST(ExportDialog, OffersAndAsksForWhatEachFormatTakesAndNothingElse) {
    TPeltoSettings::TExportChoices Last;
    Last.Layers = true;
    Last.IndexNames = true;
    Last.Delay = 250;
    Last.Motions = "3,0";
    Last.Directions = "5,4";
    Last.Padding = 2;
    TExportDialog Dialog(Last, "rocco", nullptr, nullptr);
    auto* Format = Dialog.findChild<QComboBox*>("cbExportFormat");
    const auto Shown = [&](const char* Name) {
        return Dialog.findChild<QWidget*>(Name)->isVisibleTo(&Dialog);
    };
    ASSERT_EQ(Format->count(), static_cast<int>(ExportFormats.size()));
    for (int Index = 0; Index < Format->count(); ++Index) {
        Format->setCurrentIndex(Index);
        const TExportFormat& Chosen = ExportFormats[static_cast<std::size_t>(Index)];
        const TExportOptions Options = ExportOptionsOf(Dialog.Choices());
        ASSERT_EQ(Options.Format, &Chosen);
        struct TCase {
            TFormatOption Option;
            bool Offered;
            std::optional<bool> Asked; // the options hold it; a scope is held, used or not
        };
        for (const TCase& Case : {
                 TCase{TFormatOption::Delay,
                       Dialog.findChild<QSpinBox*>("seExportDelay")->isEnabled(),
                       Options.Delay == 250},
                 TCase{TFormatOption::Scope, Shown("cbExportScope"), std::nullopt},
                 TCase{TFormatOption::FrameNames, Shown("chExportIndexNames"),
                       Options.FrameNames == TFrameNames::Index},
                 TCase{TFormatOption::Layers, Shown("chExportLayers"), Options.Layers},
                 TCase{TFormatOption::Scope,
                       Shown("edExportMotions") && Shown("edExportDirections"),
                       Options.Motions == std::vector<std::uint8_t>{3, 0} &&
                           Options.Directions == std::vector<std::uint8_t>{5, 4}},
                 TCase{TFormatOption::Padding, Shown("seExportPadding"), Options.Padding == 2},
             }) {
            EXPECT_EQ(Case.Offered, FormatTakes(Chosen, Case.Option))
                << Chosen.Name << " option " << static_cast<int>(Case.Option);
            if (Case.Asked) {
                EXPECT_EQ(*Case.Asked, FormatTakes(Chosen, Case.Option))
                    << Chosen.Name << " option " << static_cast<int>(Case.Option);
            }
        }
        EXPECT_EQ(Dialog.FileName().toStdString(), "rocco" + std::string(Chosen.Extension));
    }
}

TEST(ExportDialog, OffersTheEnginesDirectionOrderAndKeepsAMistypedListAsTyped) {
    TPeltoSettings::TExportChoices Last;
    Last.Format = "sheet";
    Last.Motions = "0,0";
    TExportDialog Dialog(Last, "rocco", nullptr, nullptr);
    Dialog.findChild<QComboBox*>("cbExportDirections")->setCurrentIndex(1);
    const TPeltoSettings::TExportChoices Chosen = Dialog.Choices();
    EXPECT_EQ(std::tie(Chosen.Motions, Chosen.Directions), std::make_tuple("0,0", "engine"));
    const TExportOptions Options = ExportOptionsOf(Chosen);
    EXPECT_TRUE(Options.Motions.empty());
    EXPECT_EQ(Options.Directions,
              std::vector<std::uint8_t>(EngineDirectionOrder.begin(), EngineDirectionOrder.end()));
}
