#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QWidget>

#include <functional>

namespace pelto {

/// A surface painted by its owner (the character view).
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    std::function<void(QPainter&)> OnPaint;

signals:
    void MouseDown(Qt::MouseButton Button, QPoint Position);
    /// The pointer moved over the box (with or without a button held), or left it.
    void MouseMoved(QPoint Position);
    void MouseLeft();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
};

/// A picture control: shows a picture, optionally centred and with the colour of its
/// bottom-left pixel left out; reports clicks, presses and right clicks. Pixel art is never
/// smoothed when the display scales it.
class TImage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    void SetPicture(const QImage& Picture);
    const QImage& Picture() const { return FPicture; }
    void SetTransparent(bool Value);
    void SetCenter(bool Value);
    /// Sizes the control to its picture.
    void SetAutoSize(bool Value);
    /// Each picture pixel is drawn as Factor x Factor pixels, never smoothed.
    void SetZoom(int Factor);
    int Zoom() const { return FZoom; }

signals:
    void Clicked();
    void MouseDown(Qt::MouseButton Button, QPoint Position);
    /// Sent while the mouse tracks it (setMouseTracking) or a button is held.
    void MouseMoved(QPoint Position);
    void MouseLeft();
    void ContextPopup();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    void Rebuild();

    QImage FPicture;
    QPixmap FPixmap;
    bool FTransparent = false;
    bool FCenter = false;
    bool FAutoSize = false;
    bool FPressed = false;
    int FZoom = 1;
};

/// A label that reports left clicks and right clicks (the slot names).
class TLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void Clicked();
    void ContextPopup();

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
};

/// A line edit that keeps only the keys it needs for editing text: typing, moving and selecting,
/// deleting, the clipboard, and undo and redo while it has typing to undo or redo. Every other
/// key reaches the window's shortcuts first.
class TCodeEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    /// Whether a line edit needs Key to edit its text.
    static bool EditsText(const QKeyEvent& Key);

protected:
    bool event(QEvent* Event) override;
};

/// A read-only text box that never shows a caret.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* Parent = nullptr);

    /// Shows Lines, unwrapped, in the largest font size up to LargestPixelSize at which they all
    /// fit in the box's height; a line too wide for that size gets the largest that fits it.
    void SetLinesFitting(const QStringList& Lines, int LargestPixelSize);
};

/// Control named Name at its classic place on its parent.
template <typename T>
T* Place(T* Control, const QString& Name, int Left, int Top, int Width, int Height) {
    Control->setObjectName(Name);
    Control->setGeometry(Left, Top, Width, Height);
    return Control;
}

/// A caption at Left, Top, as large as its text.
TLabel* Caption(QWidget* Parent, const QString& Text, int Left, int Top, QColor Color = Qt::black);

} // namespace pelto
