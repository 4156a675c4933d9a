#include "widgets/dialogfont.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ostrel {

QFont dialogFont(QFont font)
{
    font.setFamilies({u"Arial"_s, u"Liberation Sans"_s, u"Nimbus Sans"_s, u"Helvetica"_s, font.family()});
    font.setPointSizeF(8.0);
    return font;
}

} // namespace ostrel
