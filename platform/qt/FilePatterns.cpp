#include "platform/qt/FilePatterns.h"

#include <QStringList>

namespace win32qt {

QString caselessPattern(const QString& pattern)
{
    QString result;
    bool inBrackets = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('[')) {
            inBrackets = true;
        } else if (c == QLatin1Char(']')) {
            inBrackets = false;
        }
        if (!inBrackets && c.isLetter() && c.toLower() != c.toUpper()) {
            result += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        } else {
            result += c;
        }
    }
    return result;
}

QString qtNameFilter(const std::string& description, const std::string& patterns)
{
    QStringList caseless;
    for (const QString& pattern : QString::fromStdString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        caseless << caselessPattern(pattern.trimmed());
    }
    // The description keeps no parentheses: Qt would read them as the patterns.
    QString shown = QString::fromStdString(description);
    shown.replace(QLatin1Char('('), QLatin1Char('[')).replace(QLatin1Char(')'), QLatin1Char(']'));
    return shown + QStringLiteral(" (") + caseless.join(QLatin1Char(' ')) + QLatin1Char(')');
}

} // namespace win32qt
