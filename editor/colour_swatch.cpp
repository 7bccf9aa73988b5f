#include "editor/colour_swatch.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace gv::editor {

ColourSwatch::ColourSwatch(const QString& hint, QWidget* parent) : QPushButton(parent) {
    setToolTip(hint);
    setAccessibleName(hint);
    setAutoDefault(false);
}

void ColourSwatch::setRgb(uint32_t rgb) {
    rgb_ = rgb & 0x00FFFFFFu;
    setAccessibleDescription(QStringLiteral("#%1").arg(rgb_, 6, 16, QLatin1Char('0')));
    update();
}

QSize ColourSwatch::sizeHint() const {
    const int h = fontMetrics().height() + 10;
    return {h * 2, h};
}

void ColourSwatch::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect inside = style()
                             ->subElementRect(QStyle::SE_PushButtonContents, &option, this)
                             .adjusted(2, 2, -2, -2);
    painter.fillRect(inside, QColor::fromRgb(QRgb(0xFF000000u | rgb_)));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(inside.adjusted(0, 0, -1, -1));
}

} // namespace gv::editor
