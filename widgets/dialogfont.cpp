#include "widgets/dialogfont.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ostrel {

QFont dialogFont(QFont font)
{
    // Liberation Sans has Arial's widths and is installed under its own name on most Linux
    // systems; asked for first, it spares a look-up of fontconfig's aliases at every start.
    font.setFamilies({u"Liberation Sans"_s, u"Arial"_s, u"Nimbus Sans"_s, u"Helvetica"_s, font.family()});
    font.setPointSizeF(8.0);
    return font;
}

} // namespace ostrel
