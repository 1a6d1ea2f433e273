#include "platform/qt/DialogFonts.h"

#include <QFont>
#include <QString>

namespace win32qt {

void installDialogFonts()
{
    // fontconfig knows neither name and would answer DejaVu Sans, which has no kana.
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
}

} // namespace win32qt
