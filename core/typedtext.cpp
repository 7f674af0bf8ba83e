#include "core/typedtext.h"

QString withPlainQuotes(QString text)
{
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'\u2018':
        case u'\u2019':
            c = QLatin1Char('\'');
            break;
        case u'\u201C':
        case u'\u201D':
            c = QLatin1Char('"');
            break;
        default:
            break;
        }
    }
    return text;
}
