#pragma once

#include "store/appnames.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace ostrel {

/// The section that holds every key of every TC definition.
inline constexpr QStringView kDefinedTCs = u"DefinedTCs";
/// The section and key of the directory clean-up preference.
inline constexpr QStringView kTCSettings = u"TCSettings";
inline constexpr QStringView kDirectoryCleanup = u"Directory Cleanup";
/// What comes between a definition's name and the number of one of its other files.
inline constexpr QStringView kOtherFile = u"OtherFile";

/// The three version compatibility texts, in the order of every version list.
QStringList versionCompatibilityItems();

/// The fields of a TC definition, as its keys in the store name them.
enum class KeyField {
    None,
    VersionComp,
    Name,
    GroupFile,
    GameCon,
    TextFile,
    OtherFile
};

/// The key of a field of the definition called name, with the suffix in the case the
/// host expects ("VersionComp", "NAME", "GroupFile", ...). otherFileNumber counts from 1.
QString definitionKey(const QString &name, KeyField field, int otherFileNumber = 0);

/// The suffixes of every field but the other files, as definitionKey writes them.
QList<QStringView> fixedSuffixes();

/// Which field of the definition called name the stored key is, if any.
///
/// The first Len(name) characters must equal name without regard to case; then the
/// rest must be one of the suffixes (any case) with nothing after it, or "OtherFile"
/// followed by a decimal number without leading zero or by exactly one character of any
/// kind. So FooBarVersionComp is no key of Foo, and neither is FooOtherFile01, while
/// FooOtherFile0 and FooOtherFileX are other files of Foo.
KeyField classifyKey(QStringView key, QStringView name);

/// True when the key's last four characters are exactly "NAME": the start-up scan takes
/// the value of such a key as a definition name, whatever comes before it.
bool isNameListKey(QStringView key);

/// Equality after both sides are converted to upper case, character by character.
bool equalsIgnoringCase(QStringView a, QStringView b);

/// Whether a listed definition name is the same name as the one given: equal once both
/// are upper-cased (so "Straße" is "STRASSE") or once both are case folded, as the store
/// compares keys (so KELVIN SIGN is "k"). Made once per name, asked once per listed name.
class SameDefinitionName
{
public:
    explicit SameDefinitionName(const QString &name);
    bool operator()(const QString &listed) const;

private:
    QString m_name;
    QString m_upper;
    QString m_folded;
    bool m_ascii;
};

} // namespace ostrel
