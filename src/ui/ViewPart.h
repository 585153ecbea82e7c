#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QFrame;
class QLabel;
class QMainWindow;
class QPainter;
class QStatusBar;
class QTimer;

namespace pelto {

class TDressingSession;
class TPaintBox;
class TSimpleButton;

/// The button pictures of a skin strip: normal, hover and down, one above the other.
void SetStripPictures(TSimpleButton& Button, const QImage& Strip);

/// The character view and its animation: the view's surface with its cell hints, the
/// play/stop and frame buttons, the timer and the pose on the status line. It shows whatever
/// session the window holds at the moment and keeps nothing of it.
class TViewPanel : public QObject {
public:
    /// The controls go on Client, the hints on Window's status line; SessionOf gives the
    /// session shown, or nullptr while there is none.
    TViewPanel(QWidget& Client, QMainWindow& Window, std::function<TDressingSession*()> SessionOf);
    /// The pose's place on the status line, once the window has its own.
    void PlacePose(QStatusBar& Status);

    QFrame* Frame() const { return pnDraw; }
    /// The animation runs from the start, the timer once Start is called.
    bool Playing() const { return FPlaying; }
    void Start();
    void Stop();
    void PlayOrStop();
    /// One frame on or back; stepping by hand stops the animation first.
    void StepFrame(bool Next);
    /// What a cell of the view (or the keypad's key in its place) does: turns the character,
    /// or in the centre shows the next motion.
    void CellCommand(int Direction);

    /// The skin's button strips; the ones missing keep their pictures.
    void SetSkin(const std::optional<QImage>& Prev, const std::optional<QImage>& Next,
                 const std::optional<QImage>& Play, const std::optional<QImage>& Stop);
    void SetZoom(int Factor);
    void SetToolTips();
    /// Redraws the view and says the pose.
    void Redraw();
    void ShowPose();
    QString PoseText() const;

private:
    void MouseDown(Qt::MouseButton Button, QPoint Position);
    int ViewCell(QPoint At) const;
    void ShowCellHint(int Cell);
    void Paint(QPainter& Painter);
    void DrawCellHint(QPainter& Painter) const;
    void DrawFirstStartHint(QPainter& Painter) const;
    /// The session while it shows a character, else nullptr.
    TDressingSession* Dressed() const;

    std::function<TDressingSession*()> FSessionOf;
    QMainWindow& FWindow;
    QImage FPlayBitmap;
    QImage FStopBitmap;
    bool FPlaying = true;
    int FZoom = 1;
    int FHoverCell = -1; // the view's cell under the pointer, -1 for none

    // Owned by the window's controls through Qt's parent ownership.
    QFrame* pnDraw = nullptr;
    TPaintBox* pbDraw = nullptr;
    TSimpleButton* sbPrev = nullptr;
    TSimpleButton* sbStartStop = nullptr;
    TSimpleButton* sbNext = nullptr;
    QTimer* timeAnimation = nullptr;
    QLabel* lblPose = nullptr;
};

} // namespace pelto
