#pragma once

#include <QLabel>
#include <QStatusBar>

class QFontMetrics;

namespace pelto {

/// Text cut to Width pixels after its last whole word that fits, with "…" after it; the whole
/// text when it fits, and cut at any letter when not even the first word does.
QString ElideAtWord(const QString& Text, const QFontMetrics& Metrics, int Width);

/// A label whose text, when it is wider than the label, is cut after a word and given whole in
/// its tooltip. It asks for the room of its whole text but makes do with any.
class TElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;
    /// The text as drawn now.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool event(QEvent* Event) override;
};

/// A status line whose messages (QStatusBar::showMessage) take the room they need: its labels
/// yield while one shows (each stays whole or hides), and a message longer than the whole line
/// is cut after a word, the whole message in its tooltip.
class TStatusLine : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusLine(QWidget* Parent = nullptr);
    /// The message as drawn now.
    QString ShownMessage() const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool event(QEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    QRect MessageRect() const;
    void FitLabels();
};

} // namespace pelto
