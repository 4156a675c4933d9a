#include "launcher/shellquoting.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace ostrel {

QString shellQuoted(const QString &argument)
{
    static const QRegularExpression plain(u"^[A-Za-z0-9_@%+=:,./-]+$"_s);
    if (plain.match(argument).hasMatch())
        return argument;
    QString quoted = argument;
    quoted.replace(u"'"_s, u"'\\''"_s);
    return u'\'' + quoted + u'\'';
}

} // namespace ostrel
