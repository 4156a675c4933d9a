#pragma once

#include <QByteArray>
#include <QList>

namespace ostrel::test {

/// One entry of an archive a test makes.
struct TestEntry {
    enum class Type {
        File,
        Folder,
        Symlink,
        Hardlink,
        Device,
        Fifo
    };
    QByteArray name;
    QByteArray data; ///< a file's bytes, or a link's target
    Type type = Type::File;
};

enum class ArchiveFormat {
    Zip,
    ZipStored,
    SevenZip,
    Tar,
    TarGz
};

/// The bytes of an archive made with libarchive's writer, names written as their bytes;
/// with a passphrase, a zip's files are encrypted.
QByteArray makeArchive(ArchiveFormat format, const QList<TestEntry> &entries, const QByteArray &passphrase = {});

} // namespace ostrel::test
