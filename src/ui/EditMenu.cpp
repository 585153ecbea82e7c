// The Edit menu: undo, redo, random outfits and the locks they keep to.
#include "ui/EditMenu.h"

#include "model/DressingSession.h"
#include "model/LookHistory.h"
#include "ui/ColorsPart.h"
#include "ui/PeltoApplication.h"
#include "ui/SlotsPart.h"
#include "ui/UMain.h"

#include <QAction>
#include <QMenu>

namespace pelto {

QString StepCaptionText(const TStepCaption& Caption) {
    const QString Subject = QString::fromStdString(Caption.Subject);
    switch (Caption.Edit) {
    case TLookEdit::Chara:
        return Subject;
    case TLookEdit::Wear:
        return TfrmPelto::tr("%1 on").arg(Subject);
    case TLookEdit::Strip:
        return TfrmPelto::tr("%1 off").arg(Subject);
    case TLookEdit::Color:
        return TfrmPelto::tr("Color of the %1")
            .arg(Caption.Index >= 0 && Caption.Index < 4 ? PositionName(Caption.Index) : Subject);
    case TLookEdit::ResetColors:
        return TfrmPelto::tr("Default colors");
    case TLookEdit::Code:
        return TfrmPelto::tr("Code applied");
    case TLookEdit::Favorite:
        return TfrmPelto::tr("Favorite %1").arg(Subject);
    case TLookEdit::RandomOutfit:
        return TfrmPelto::tr("Random outfit");
    case TLookEdit::RandomColors:
        return TfrmPelto::tr("Random colors");
    }
    return Subject;
}

TEditMenu::TEditMenu(QMenu& Edit, THooks Hooks) : QObject(&Edit), FHooks(std::move(Hooks)) {
    miUndo = Edit.addAction(TfrmPelto::tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), this,
                            Command([this] { Walk(true); }));
    miUndo->setObjectName("miUndo");
    miRedo = Edit.addAction(TfrmPelto::tr("&Redo"), this, Command([this] { Walk(false); }));
    miRedo->setObjectName("miRedo");
    miRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Edit.addSeparator();
    miRandomOutfit =
        Edit.addAction(TfrmPelto::tr("Random &Outfit"), QKeySequence(Qt::CTRL | Qt::Key_R), this,
                       Command([this] { Randomize(false); }));
    miRandomOutfit->setObjectName("miRandomOutfit");
    miRandomColors = Edit.addAction(TfrmPelto::tr("Random &Colors"),
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this,
                                    Command([this] { Randomize(true); }));
    miRandomColors->setObjectName("miRandomColors");
    Edit.addSeparator();
    miLock = Edit.addMenu(TfrmPelto::tr("&Lock"));
    miLock->setObjectName("miLock");
    const auto Lock = [this](const QString& Name, const QString& Text, auto Set) {
        QAction* Action = miLock->addAction(Text);
        Action->setObjectName(Name);
        Action->setCheckable(true);
        connect(Action, &QAction::triggered, this, Command([this, Set](bool Checked) {
                    if (TDressingSession* Session = FHooks.SessionOf()) {
                        Set(*Session, Checked);
                        FHooks.LocksChanged();
                    }
                    Update();
                }));
        return Action;
    };
    for (int Slot = 1; Slot <= 6; ++Slot)
        // The caption under the slot, without the blanks that spread it there.
        FSlotLocks[static_cast<std::size_t>(Slot - 1)] =
            Lock(QString("miLockSlot%1").arg(Slot),
                 QString("&%1 %2").arg(Slot).arg(SlotCaption(Slot).remove(' ')),
                 [Slot](TDressingSession& Session, bool On) { Session.SetSlotLocked(Slot, On); });
    miLock->addSeparator();
    for (int Position = 0; Position < 4; ++Position)
        FPositionLocks[static_cast<std::size_t>(Position)] =
            Lock(QString("miLockColor%1").arg(Position), PositionCaption(Position),
                 [Position](TDressingSession& Session, bool On) {
                     Session.SetPositionLocked(Position, On);
                 });
    connect(&Edit, &QMenu::aboutToShow, this, Command([this] { Update(); }));
    Update();
}

void TEditMenu::Update() {
    const TDressingSession* Session = FHooks.SessionOf();
    miUndo->setEnabled(Session && Session->CanUndo());
    miRedo->setEnabled(Session && Session->CanRedo());
    // A random outfit chooses a character when there is none; colours want one to colour.
    miRandomOutfit->setEnabled(Session != nullptr);
    miRandomColors->setEnabled(Session && Session->CharaIndex() >= 0);
    for (int Slot = 1; Slot <= 6; ++Slot) {
        QAction* Action = FSlotLocks[static_cast<std::size_t>(Slot - 1)];
        Action->setEnabled(Session != nullptr);
        Action->setChecked(Session && Session->Locks().Slot(Slot));
    }
    for (int Position = 0; Position < 4; ++Position) {
        QAction* Action = FPositionLocks[static_cast<std::size_t>(Position)];
        Action->setEnabled(Session != nullptr);
        Action->setChecked(Session && Session->Locks().Position(Position));
    }
}

void TEditMenu::Walk(bool Back) {
    TDressingSession* Session = FHooks.SessionOf();
    if (!Session)
        return;
    if (const std::optional<TStepCaption> Walked = Back ? Session->Undo() : Session->Redo())
        FHooks.Say((Back ? TfrmPelto::tr("Undo: %1") : TfrmPelto::tr("Redo: %1"))
                       .arg(StepCaptionText(*Walked)));
    Update();
}

void TEditMenu::Randomize(bool ColorsOnly) {
    TDressingSession* Session = FHooks.SessionOf();
    if (!Session || (ColorsOnly && Session->CharaIndex() < 0))
        return;
    Session->Randomize(ColorsOnly ? TRandomVary::Colors : TRandomVary::All);
    Update();
}

} // namespace pelto
