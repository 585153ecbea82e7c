// Image export, clipboard, background colour, favourites, code entry and the Help commands.
#include "ui/UMain.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "model/ImageExport.h"
#include "model/UCommon.h"
#include "model/UDraw.h"
#include "platform/Paths.h"
#include "resources/ProgramBitmaps.h"
#include "sprites/wlojmajmp.h"
#include "ui/PeltoApplication.h"
#include "ui/QtBitmaps.h"

#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace pelto {
namespace {

constexpr const char* ProgramVersion = "2.4b";
constexpr const char* HomepageUrl = "https://pelto-in-wonderland.github.io/";
constexpr const char* AuthorLine = "Written by the PELTO in Wonderland developers";

// Dialog units: a quarter of the average character width, an eighth of the text height.
int MulDiv(int Value, int Numerator, int Denominator) {
    return (Value * Numerator + Denominator / 2) / Denominator;
}

} // namespace

void TfrmPelto::CreateDialogs() {
    sd = new QFileDialog(this);
    sd->setAcceptMode(QFileDialog::AcceptSave);
    // Qt's own dialog, so that a change of type can rewrite the name being typed.
    sd->setOption(QFileDialog::DontUseNativeDialog);
    // Each label names its pattern ("Bitmap (*.bmp)"), which is all Qt's filters need.
    QStringList Filters;
    const QStringList Parts =
        QString::fromUtf8(ImageFileFilter.data(), static_cast<qsizetype>(ImageFileFilter.size()))
            .split('|');
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2)
        Filters << Parts[I];
    sd->setNameFilters(Filters);
    sd->selectFile("image.bmp");
    connect(sd, &QFileDialog::filterSelected, this, Command(this, &TfrmPelto::sdTypeChange));

    cd = new QColorDialog(Qt::black, this);
}

void TfrmPelto::sdTypeChange() {
    const auto Type =
        static_cast<TImageFileType>(sd->nameFilters().indexOf(sd->selectedNameFilter()) + 1);
    auto* NameBox = sd->findChild<QLineEdit*>("fileNameEdit");
    if (!NameBox)
        return;
    const std::string Name = ExtractFileName(NameBox->text().toStdString());
    NameBox->setText(QString::fromStdString(ChangeFileExt(Name, ImageFileExtension(Type))));
}

void TfrmPelto::miSaveImageClick() {
    if (cbChara->currentIndex() < 0)
        return;
    if (sd->exec() != QDialog::Accepted || sd->selectedFiles().isEmpty())
        return;
    const auto Type =
        static_cast<TImageFileType>(sd->nameFilters().indexOf(sd->selectedNameFilter()) + 1);
    const std::string Chosen = sd->selectedFiles().first().toStdString();
    const std::string FileName = NormalizeImageFileName(Chosen, Type);
    // The dialog asked about the name as typed; a corrected name gets its own question.
    if (FileName != Chosen && QFileInfo::exists(QString::fromStdString(FileName)) &&
        QMessageBox::question(this, "Save Image As",
                              QString("%1 already exists.\nDo you want to replace it?")
                                  .arg(QString::fromStdString(ExtractFileName(FileName)))) !=
            QMessageBox::Yes)
        return;
    sd->selectFile(QString::fromStdString(ExtractFileName(FileName)));
    FDrawChara->Redraw();
    SaveImageFile(*FDrawChara, FCanvas, Type, FileName);
}

void TfrmPelto::miCopyImageClick() {
    QGuiApplication::clipboard()->setImage(ToQImage(FCanvas));
}

void TfrmPelto::miBGColorClick() {
    if (cd->exec() == QDialog::Accepted) {
        const QColor Color = cd->currentColor();
        FDrawChara->SetBackColor(RGBColor(static_cast<std::uint8_t>(Color.red()),
                                          static_cast<std::uint8_t>(Color.green()),
                                          static_cast<std::uint8_t>(Color.blue())));
    }
    UpdateView();
}

void TfrmPelto::BuildFavoriteMenus() {
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        miSaveFavorite->addAction("---", this,
                                  Command([this, Place] { SaveFavoriteClick(Place); }));
        miLoadFavorite->addAction("---", this,
                                  Command([this, Place] { LoadFavoriteClick(Place); }));
        UpdateFavoriteEntries(Place);
    }
}

void TfrmPelto::UpdateFavoriteEntries(int Place) {
    const TFavoriteItem& Favorite = FSettings.Favorites[static_cast<std::size_t>(Place - 1)];
    // "&" in a name is shown as it is, not taken for a menu accelerator.
    const QString Caption =
        Favorite.Used ? QString::fromStdString(Favorite.Name).replace("&", "&&") : "---";
    QAction* Save = miSaveFavorite->actions()[Place - 1];
    QAction* Load = miLoadFavorite->actions()[Place - 1];
    Save->setText(Caption);
    Save->setEnabled(true);
    Load->setText(Caption);
    Load->setEnabled(Favorite.Used);
}

void TfrmPelto::MenuClick() {
    const bool Chosen = cbChara->currentIndex() >= 0;
    miSaveImage->setEnabled(Chosen);
    miSaveFavorite->menuAction()->setEnabled(Chosen);
}

bool TfrmPelto::PromptText(const QString& Caption, const QString& Prompt, QString& Value) {
    QDialog Dialog;
    Dialog.setWindowTitle(Caption);
    const QFontMetrics Metrics(Dialog.font());
    const QString Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int W = Metrics.horizontalAdvance(Letters) / 52;
    const int H = Metrics.height();
    const int ClientWidth = MulDiv(180, W, 4);

    auto* Label = new QLabel(Prompt, &Dialog);
    Label->setWordWrap(true);
    Label->setMaximumWidth(MulDiv(164, W, 4));
    Label->move(MulDiv(8, W, 4), MulDiv(8, H, 8));
    Label->adjustSize();
    auto* Edit = new QLineEdit(Value, &Dialog);
    Edit->setMaxLength(255);
    Edit->setGeometry(Label->x(), Label->geometry().bottom() + 1 + 5, MulDiv(164, W, 4),
                      Edit->sizeHint().height());
    Edit->selectAll();
    const int ButtonTop = Edit->geometry().bottom() + 1 + 15;
    auto* Ok = new QPushButton("OK", &Dialog);
    Ok->setGeometry(MulDiv(38, W, 4), ButtonTop, MulDiv(50, W, 4), MulDiv(14, H, 8));
    Ok->setDefault(true);
    auto* Cancel = new QPushButton("Cancel", &Dialog);
    Cancel->setGeometry(MulDiv(92, W, 4), ButtonTop, MulDiv(50, W, 4), MulDiv(14, H, 8));
    QObject::connect(Ok, &QPushButton::clicked, &Dialog, &QDialog::accept);
    QObject::connect(Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    Dialog.setFixedSize(ClientWidth, Ok->geometry().bottom() + 1 + 13);
    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        Dialog.move(Screen->availableGeometry().center() - Dialog.rect().center());
    Edit->setFocus();
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    Value = Edit->text();
    return true;
}

void TfrmPelto::SaveFavoriteClick(int Place) {
    const int Chara = FDrawChara->Chara();
    if (Chara == -1)
        return;
    const std::string_view CharaName = CharaData[static_cast<std::size_t>(Chara)].Name;
    QString Name = QString::fromUtf8(CharaName.data(), static_cast<qsizetype>(CharaName.size()));
    if (!OnPromptText("Save", "Input name: ", Name))
        return;
    if (Name.isEmpty())
        Name = QString("Save%1").arg(Place);
    TFavoriteItem& Favorite = FSettings.Favorites[static_cast<std::size_t>(Place - 1)];
    Favorite.Used = true;
    Favorite.Name = Name.toStdString();
    Favorite.Chara = Chara;
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const TWLOItemData* Item = FDrawChara->GetPart(Slot);
        Favorite.Parts[static_cast<std::size_t>(Slot - 1)] = Item ? Item->ItemID() : 0;
    }
    for (int Position = 0; Position < 4; ++Position)
        for (int Channel = 0; Channel < 3; ++Channel)
            Favorite.Color[static_cast<std::size_t>(Position)][static_cast<std::size_t>(Channel)] =
                FDrawChara->GetColor(Position, Channel);
    UpdateFavoriteEntries(Place);
}

void TfrmPelto::LoadFavoriteClick(int Place) {
    const TFavoriteItem& Favorite = FSettings.Favorites[static_cast<std::size_t>(Place - 1)];
    ChangeThenRefresh([&] {
        FDrawChara->SetChara(Favorite.Chara);
        cbChara->setCurrentIndex(FDrawChara->Chara());
        if (FDrawChara->Chara() == -1)
            return;
        const int Group = CharaData[static_cast<std::size_t>(FDrawChara->Chara())].BodyGroup;
        for (int Slot = 1; Slot <= 6; ++Slot) {
            const std::uint16_t Id = Favorite.Parts[static_cast<std::size_t>(Slot - 1)];
            FDrawChara->SetPart(Slot,
                                Id == 0 ? nullptr : FGame->EquipList()->FindItem(Group, Slot, Id));
        }
        for (int Position = 0; Position < 4; ++Position)
            for (int Channel = 0; Channel < 3; ++Channel)
                FDrawChara->SetColor(Position, Channel,
                                     Favorite.Color[static_cast<std::size_t>(Position)]
                                                   [static_cast<std::size_t>(Channel)]);
    });
}

void TfrmPelto::RefreshAfterRestore() {
    UpdateStatus();
    UpdateColorBars();
    UpdateView();
}

void TfrmPelto::ChangeThenRefresh(const std::function<void()>& Change) {
    try {
        Change();
    } catch (...) {
        // Slots emptied before the failure must not keep the frame of an item in the picker.
        for (int Slot = 1; Slot <= 6; ++Slot) {
            if (!FDrawChara->GetPart(Slot))
                FListIndex[static_cast<std::size_t>(Slot)] = 0;
            UpdateSlot(Slot);
        }
        cbChara->setCurrentIndex(FDrawChara->Chara());
        RefreshAfterRestore();
        throw;
    }
    RefreshAfterRestore();
}

void TfrmPelto::btnSetCodeClick() {
    const QString Code = edCode->text();
    if (Code.isEmpty())
        return;
    try {
        FDrawChara->SetCode(Code.toStdString());
    } catch (const std::exception& Error) {
        ShowMessage(QString::fromUtf8(Error.what()));
    }
    // The window shows the state actually reached, also after a code that failed.
    cbChara->setCurrentIndex(FDrawChara->Chara());
    RefreshAfterRestore();
}

void TfrmPelto::miVisitHomepageClick() {
    QDesktopServices::openUrl(QUrl(HomepageUrl));
}

void TfrmPelto::miAboutClick() {
    QMessageBox Box(this);
    Box.setWindowTitle("About PELTO in Wonderland");
    Box.setText(QString("%1 Version %2\n\n%3\n[ %4 ]")
                    .arg(ApplicationTitle, ProgramVersion, AuthorLine, HomepageUrl));
    Box.setIconPixmap(QPixmap::fromImage(ToQImage(ProgramIcon(48))));
    Box.setStandardButtons(QMessageBox::Ok);
    Box.exec();
}

} // namespace pelto
