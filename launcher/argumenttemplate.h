#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace ostrel {

/// Expands a Custom engine's argument template (see EngineSettings::argumentTemplate). Unknown
/// placeholders, unbalanced brackets and quotes, and an empty placeholder outside brackets
/// are errors.
QStringList expandArgumentTemplate(
    const QString &argumentTemplate, const QHash<QString, QString> &values, QString *error);

/// What is wrong with an argument template whatever the TC (unknown placeholders, unbalanced
/// brackets and quotes), in words for the player; empty when nothing is.
QString argumentTemplateProblem(const QString &argumentTemplate);

} // namespace ostrel
