// The window's zoom, which TWindowZoom carries out, and its commands.
#include "ui/UMain.h"

#include "ui/ColorsPart.h"
#include "ui/SlotsPart.h"
#include "ui/ViewPart.h"
#include "ui/Wardrobe.h"
#include "ui/WindowZoom.h"

namespace pelto {

void TfrmPelto::CreateZoom() {
    FZoom = new TWindowZoom(*this, {.Chosen = [this] { return FSettings.Zoom; },
                                    .Choose =
                                        [this](std::optional<int> Percent) {
                                            FSettings.Zoom = Percent;
                                            SettingsChanged();
                                        },
                                    .ZoomParts =
                                        [this](int Factor) {
                                            FSlots->SetZoom(Factor, font());
                                            FView->SetZoom(Factor);
                                            FColors->SetZoom(Factor);
                                            if (frmWardrobe)
                                                frmWardrobe->SetZoom(Factor);
                                            if (FSession)
                                                UpdateStatus();
                                        }});
}

int TfrmPelto::Zoom() const {
    return FZoom->Factor();
}

void TfrmPelto::SetZoom(int Factor) {
    FZoom->Set(Factor);
}

void TfrmPelto::miZoomInClick() {
    FZoom->Step(1);
}

void TfrmPelto::miZoomOutClick() {
    FZoom->Step(-1);
}

void TfrmPelto::miActualSizeClick() {
    FZoom->Set(1);
}

} // namespace pelto
