#pragma once

#include "tests/installer/installertesting.h"
#include "tests/support/testfiles.h"

#include <QByteArray>
#include <QList>

namespace ostrel::test {

/// A group file's bytes with one member.
inline QByteArray tinyGroup(const QByteArray &member = "E1L1.MAP")
{
    return grpBytesOfNames({member});
}

/// A TC as players download it: everything in a folder of its own, a read-me that gives the
/// command line and says "Atomic", a map, an installer, and an entry that would leave the TC's
/// folder.
QList<TestEntry> harbourEntries();

} // namespace ostrel::test
