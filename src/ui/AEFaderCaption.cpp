#include "AEFaderCaption.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <algorithm>

AEFaderCaption::AEFaderCaption(const QString& text, QWidget* parent)
    : QWidget(parent), text_(text) {
    setToolTip(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QFont AEFaderCaption::fontOfSize(qreal points) const {
    QFont f = font();
    f.setPointSizeF(points);
    f.setStretch(QFont::SemiCondensed);
    return f;
}

QSize AEFaderCaption::minimumSizeHint() const {
    const QFontMetrics fm(fontOfSize(kLargestPoints));
    return {40, kLines * fm.lineSpacing() + 2};
}

QSize AEFaderCaption::sizeHint() const {
    return minimumSizeHint();
}

bool AEFaderCaption::fits(const QFont& font, int width) const {
    const QFontMetrics fm(font);
    for (const QString& word : text_.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (fm.horizontalAdvance(word) > width) {
            return false;
        }
    }
    const QRect needed =
        fm.boundingRect(QRect(0, 0, width, 10000), Qt::AlignHCenter | Qt::TextWordWrap, text_);
    return needed.height() <= height();
}

qreal AEFaderCaption::fittedPoints() const {
    qreal points = ownFittedPoints();
    for (const AEFaderCaption* other : group_) {
        if (other != this) {
            points = std::min(points, other->ownFittedPoints());
        }
    }
    return points;
}

qreal AEFaderCaption::ownFittedPoints() const {
    for (qreal points = kLargestPoints; points > kSmallestPoints; points -= 0.5) {
        if (fits(fontOfSize(points), width())) {
            return points;
        }
    }
    return kSmallestPoints;
}

bool AEFaderCaption::wordsWhole() const {
    return fits(fontOfSize(fittedPoints()), width());
}

void AEFaderCaption::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(0xe8, 0xea, 0xed));
    const QFont f = fontOfSize(fittedPoints());
    p.setFont(f);
    const int flags = Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap;
    if (fits(f, width())) {
        p.drawText(rect(), flags, text_);
        return;
    }
    // Too narrow even at the smallest size: each line is elided, never broken in a word.
    const QFontMetrics fm(f);
    QStringList lines;
    QString line;
    for (const QString& word : text_.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && fm.horizontalAdvance(joined) > width() &&
            lines.size() < kLines - 1) {
            lines << line;
            line = word;
        } else {
            line = joined;
        }
    }
    lines << line;
    for (QString& l : lines) {
        l = fm.elidedText(l, Qt::ElideRight, width());
    }
    p.drawText(rect(), flags, lines.join(QLatin1Char('\n')));
}
