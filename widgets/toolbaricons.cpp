#include "widgets/toolbaricons.h"

#include "widgets/svgiconengine.h"

#include <QEvent>
#include <QObject>
#include <QPalette>
#include <QWidget>

using namespace Qt::StringLiterals;

// Outside any namespace, as Q_INIT_RESOURCE must be: it declares the resource's function
// where it stands.
static void registerIconResource()
{
    Q_INIT_RESOURCE(icons);
}

namespace ostrel {

namespace {

// The shared library registers the pictures when it is loaded; a program that links this
// layer from a static library drops the resource's object file unless code refers to it.
QIcon svgIcon(const QString &name, const QPalette &palette)
{
    [[maybe_unused]] static const bool registered = (registerIconResource(), true);
    return QIcon(new SvgIconEngine(u":/ostrel/icons/"_s + name + u".svg"_s, palette));
}

QIcon scriptFormIcon(const QPalette &palette)
{
    return svgIcon(u"scriptform"_s, palette);
}

// Redraws the form's window icon from outside the form. A new application palette or style
// reaches the form as ApplicationPaletteChange first, while its palette is still the old one,
// and then as PaletteChange once the new one is resolved: only the latter is worth drawing.
class ScriptFormIconKeeper final : public QObject
{
public:
    explicit ScriptFormIconKeeper(QWidget *form)
        : QObject(form)
        , m_form(form)
    {
        form->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_form && (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange))
            m_form->setWindowIcon(scriptFormIcon(m_form->palette()));
        return false;
    }

private:
    QWidget *m_form;
};

} // namespace

QList<std::pair<QString, QIcon>> toolbarImageList(const QPalette &palette)
{
    return {
        {u"Save"_s, svgIcon(u"save"_s, palette)},
        {u"New"_s, svgIcon(u"new"_s, palette)},
        {u"CancelNew"_s, svgIcon(u"cancelnew"_s, palette)},
        {u"Delete"_s, svgIcon(u"delete"_s, palette)},
        {u"LoadScript"_s, svgIcon(u"loadscript"_s, palette)},
        {u"Script"_s, svgIcon(u"script"_s, palette)},
        {u"ScriptView"_s, svgIcon(u"scriptview"_s, palette)},
    };
}

QIcon viewTextFileIcon(const QPalette &palette)
{
    return svgIcon(u"viewtextfile"_s, palette);
}

void setScriptFormIcon(QWidget *form)
{
    form->setWindowIcon(scriptFormIcon(form->palette()));
    new ScriptFormIconKeeper(form);
}

} // namespace ostrel
