#pragma once

#include <QList>
#include <QWidget>

// A fader's name over it, in a condensed face as on a desk's scribble strip. Long names
// (German, French) wrap between words; the font shrinks, down to a floor that stays
// readable, until the longest word fits the column. The captions of one desk share the
// size that fits them all. Only a word that fits at no size is elided, and the full name
// is always the tooltip.
class AEFaderCaption : public QWidget {
public:
    static constexpr qreal kLargestPoints = 9.5;
    static constexpr qreal kSmallestPoints = 7.5;
    static constexpr int kLines = 2;

    explicit AEFaderCaption(const QString& text, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    // The captions drawn at one size (this one among them).
    void setGroup(const QList<AEFaderCaption*>& group) { group_ = group; }
    // The font size the name is drawn in at the current widths.
    qreal fittedPoints() const;
    // True when every word of the name is drawn whole at the current width.
    bool wordsWhole() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Whether the name, wrapped between words, fits `width` × the caption's height.
    bool fits(const QFont& font, int width) const;
    QFont fontOfSize(qreal points) const;
    // The largest size at which this caption alone fits.
    qreal ownFittedPoints() const;

    QString text_;
    QList<AEFaderCaption*> group_;
};
