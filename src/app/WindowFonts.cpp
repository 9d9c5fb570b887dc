#include "app/WindowFonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace brevolan {

namespace {
bool fontInstalled(const QString &family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}
} // namespace

QFont windowFont()
{
    QFont font = fontInstalled(QStringLiteral("Liberation Sans")) ? QFont(QStringLiteral("Liberation Sans"))
                                                                   : QApplication::font();
    font.setPixelSize(11);
    return font;
}

QFont fixedFont()
{
    QFont font = fontInstalled(QStringLiteral("Liberation Mono"))
        ? QFont(QStringLiteral("Liberation Mono"))
        : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    return font;
}

} // namespace brevolan
