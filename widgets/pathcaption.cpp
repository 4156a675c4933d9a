#include "widgets/pathcaption.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidgetItem>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString notFound(const QString &path)
{
    return u"File not found: "_s + path;
}

bool isMissing(const QString &path)
{
    return !path.isEmpty() && !QFileInfo::exists(path);
}

// The warning sign inside a path label, at its right end; it follows the label's size.
class MissingFileSign : public QLabel
{
public:
    explicit MissingFileSign(QLabel *field)
        : QLabel(field)
    {
        setObjectName(field->objectName() + u"Missing"_s);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAccessibleName(u"File not found"_s);
        field->installEventFilter(this);
        fit();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::StyleChange)
            fit();
        return QLabel::eventFilter(watched, event);
    }

private:
    void fit()
    {
        const auto *field = parentWidget();
        const int side = qMax(1, field->height() - 4);
        setPixmap(field->style()
                      ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, field)
                      .pixmap(QSize(side, side), field->devicePixelRatio()));
        setGeometry(field->width() - side - 2, 2, side, side);
    }
};

MissingFileSign *signOf(QLabel *label)
{
    return label->findChild<MissingFileSign *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

void setPathCaption(QLabel *label, const QString &path)
{
    label->setText(path);
    label->setToolTip(path);
    label->setAccessibleDescription(path);
}

void markIfMissing(QLabel *label)
{
    const QString path = label->text();
    const bool missing = isMissing(path);
    MissingFileSign *sign = signOf(label);
    if (missing && !sign)
        sign = new MissingFileSign(label);
    if (sign)
        sign->setVisible(missing);
    label->setToolTip(missing ? notFound(path) : path);
    label->setAccessibleDescription(missing ? notFound(path) : path);
}

void markIfMissing(QListWidgetItem *item)
{
    const QString path = item->text();
    const bool missing = isMissing(path);
    const QWidget *list = item->listWidget();
    item->setIcon(missing && list ? list->style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, list) : QIcon());
    item->setToolTip(missing ? notFound(path) : path);
}

} // namespace ostrel
