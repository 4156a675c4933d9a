#pragma once

#include "widgets/twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace ostrel {

/// Creates a child widget with its object name, placed at a rectangle in twips.
template<typename W>
W *makeAt(QWidget *parent, const QString &name, const TwipsRect &twips)
{
    auto *widget = new W(parent);
    widget->setObjectName(name);
    placeTwips(widget, twips);
    return widget;
}

inline QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, const TwipsRect &twips,
    Qt::Alignment horizontal = Qt::AlignLeft)
{
    auto *label = makeAt<QLabel>(parent, name, twips);
    label->setText(caption);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(horizontal | Qt::AlignVCenter);
    return label;
}

/// A read-only field showing a path or a file title inside a sunken border.
inline QLabel *makeDisplay(QWidget *parent, const QString &name, const TwipsRect &twips)
{
    auto *label = makeLabel(parent, name, QString(), twips);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setIndent(2);
    return label;
}

/// A push button that Enter in a field never presses.
inline QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, const TwipsRect &twips)
{
    auto *button = makeAt<QPushButton>(parent, name, twips);
    button->setText(caption);
    button->setAutoDefault(false);
    return button;
}

} // namespace ostrel
