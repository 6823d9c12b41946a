#include "qt_conversions.h"

#include "results/qt/plot_colour.h"

namespace kora::app {

QColor ToQColor(Colour colour) {
    const Rgb rgb = RgbOf(ResolveColour(colour));
    return QColor(rgb.red, rgb.green, rgb.blue);
}

Colour ToColour(const QColor& colour) {
    return static_cast<Colour>(colour.red()) | (static_cast<Colour>(colour.green()) << 8) |
           (static_cast<Colour>(colour.blue()) << 16);
}

QFont ToQFont(const FontDescription& font) {
    QFont qfont(QString::fromStdString(font.name));
    qfont.setPointSize(font.size > 0 ? font.size : 10);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setStrikeOut(font.strikeOut);
    qfont.setUnderline(font.underline);
    // The stored family may not exist here; the editor still needs fixed pitch.
    qfont.setStyleHint(QFont::Monospace);
    qfont.setFixedPitch(true);
    return qfont;
}

void StoreQFont(const QFont& qfont, FontDescription& font) {
    font.name = qfont.family().toStdString();
    if (qfont.pointSize() > 0) font.size = qfont.pointSize();
    font.pitch = kPitchFixed;
    font.bold = qfont.bold();
    font.italic = qfont.italic();
    font.strikeOut = qfont.strikeOut();
    font.underline = qfont.underline();
}

} // namespace kora::app
