#include "tests/installer/archivewriter.h"

#include <QScopeGuard>
#include <QString>

#include <locale.h>

#include <archive.h>
#include <archive_entry.h>

#include <stdexcept>

namespace ostrel::test {

namespace {

la_ssize_t appendTo(archive *, void *data, const void *buffer, size_t length)
{
    static_cast<QByteArray *>(data)->append(static_cast<const char *>(buffer), qsizetype(length));
    return la_ssize_t(length);
}

void check(int status, archive *a, const char *what)
{
    if (status < ARCHIVE_WARN)
        throw std::runtime_error(std::string(what) + ": " + (archive_error_string(a) ? archive_error_string(a) : "?"));
}

} // namespace

QByteArray makeArchive(ArchiveFormat format, const QList<TestEntry> &entries, const QByteArray &passphrase)
{
    // libarchive's writers take a name as text of the current locale: a UTF-8 name is written
    // under a UTF-8 locale (the 7z writer cannot store it otherwise, the zip writer marks it as
    // UTF-8), other bytes under the C locale (as they are, unmarked).
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    static const locale_t bytesAsThey = ::newlocale(LC_CTYPE_MASK, "C", locale_t(nullptr));
    const locale_t previous = ::uselocale(utf8);
    const auto restore = qScopeGuard([&] { ::uselocale(previous); });
    QByteArray bytes;
    archive *a = archive_write_new();
    switch (format) {
    case ArchiveFormat::Zip:
    case ArchiveFormat::ZipStored:
        archive_write_set_format_zip(a);
        check(archive_write_set_options(
                  a, format == ArchiveFormat::Zip ? "zip:compression=deflate" : "zip:compression=store"),
            a, "options");
        if (!passphrase.isEmpty()) {
            check(archive_write_set_options(a, "zip:encryption=zipcrypt"), a, "encryption");
            check(archive_write_set_passphrase(a, passphrase.constData()), a, "passphrase");
        }
        break;
    case ArchiveFormat::SevenZip:
        archive_write_set_format_7zip(a);
        break;
    case ArchiveFormat::Tar:
        archive_write_set_format_pax_restricted(a);
        break;
    case ArchiveFormat::TarGz:
        archive_write_set_format_pax_restricted(a);
        archive_write_add_filter_gzip(a);
        break;
    }
    archive_write_set_bytes_in_last_block(a, 1);
    check(archive_write_open(a, &bytes, nullptr, appendTo, nullptr), a, "open");
    for (const TestEntry &e : entries) {
        archive_entry *entry = archive_entry_new();
        ::uselocale(QString::fromUtf8(e.name).toUtf8() == e.name ? utf8 : bytesAsThey);
        archive_entry_copy_pathname(entry, e.name.constData());
        archive_entry_set_mtime(entry, 1000000000, 0);
        archive_entry_set_perm(entry, 0644);
        switch (e.type) {
        case TestEntry::Type::File:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, e.data.size());
            break;
        case TestEntry::Type::Folder:
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
            break;
        case TestEntry::Type::Symlink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_copy_symlink(entry, e.data.constData());
            break;
        case TestEntry::Type::Hardlink:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_copy_hardlink(entry, e.data.constData());
            break;
        case TestEntry::Type::Device:
            archive_entry_set_filetype(entry, AE_IFCHR);
            archive_entry_set_rdev(entry, 0x0103);
            break;
        case TestEntry::Type::Fifo:
            archive_entry_set_filetype(entry, AE_IFIFO);
            break;
        }
        check(archive_write_header(a, entry), a, "header");
        if (e.type == TestEntry::Type::File && !e.data.isEmpty())
            archive_write_data(a, e.data.constData(), size_t(e.data.size()));
        archive_entry_free(entry);
    }
    check(archive_write_close(a), a, "close");
    archive_write_free(a);
    return bytes;
}

} // namespace ostrel::test
