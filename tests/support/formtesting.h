#pragma once

#include "fakes.h"
#include "input.h"
#include "sandbox.h"
#include "testfiles.h"
#include "store/memorysettingsstore.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>

namespace ostrel::test {

template<typename T>
T *child(const QWidget *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        ADD_FAILURE() << "no child " << name.toStdString();
    return found;
}

inline QString textOf(const QWidget *form, const QString &name)
{
    if (auto *edit = form->findChild<QLineEdit *>(name))
        return edit->text();
    return child<QLabel>(form, name)->text();
}

inline QStringList entries(const QWidget *form)
{
    QStringList result;
    auto *list = child<QListWidget>(form, QStringLiteral("lstOtherFiles"));
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

/// Clicks a button of a form on screen with the mouse.
inline void press(const QWidget *form, const QString &button)
{
    clickOn(child<QPushButton>(form, button));
}

/// What Form_Load puts into the release date, as the field's limit keeps it.
inline QString todayShort()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).left(10);
}

/// Asserts that form holds a freshly loaded form's values.
inline void expectFreshFields(const QWidget *form)
{
    auto *versions = child<QComboBox>(form, QStringLiteral("cboVersComp"));
    EXPECT_TRUE(versions->count() == 3 && versions->currentIndex() == -1);
    EXPECT_EQ(textOf(form, QStringLiteral("txtReleaseDate")), todayShort());
    for (const char *name :
        {"txtTCName", "txtVersion", "lblGroupFile", "lblGameCon", "lblTextFile", "txtAuthor", "txtEmail", "txtWeb"})
        EXPECT_EQ(textOf(form, QString::fromLatin1(name)), QString()) << name;
    EXPECT_TRUE(entries(form).isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillon TC Script"));
}

} // namespace ostrel::test
