#pragma once

// libarchive, loaded the first time an archive is read rather than at every start: the
// library and the four it brings with it cost about a millisecond of each start of quillon,
// and most starts read no archive. Internal to the installer.

#include <archive.h>
#include <archive_entry.h>

#include <QString>

static_assert(
    ARCHIVE_VERSION_NUMBER >= 3000000 && ARCHIVE_VERSION_NUMBER < 4000000, "libarchive 3 is libarchive.so.13");

// The functions the installer calls.
#define OSTREL_LIBARCHIVE_FUNCTIONS(X)                                                                                 \
    X(archive_read_new)                                                                                                \
    X(archive_read_free)                                                                                               \
    X(archive_read_support_filter_all)                                                                                 \
    X(archive_read_support_format_zip)                                                                                 \
    X(archive_read_support_format_7zip)                                                                                \
    X(archive_read_support_format_rar)                                                                                 \
    X(archive_read_support_format_rar5)                                                                                \
    X(archive_read_support_format_tar)                                                                                 \
    X(archive_read_open_filename)                                                                                      \
    X(archive_read_open_memory)                                                                                        \
    X(archive_read_next_header)                                                                                        \
    X(archive_read_data)                                                                                               \
    X(archive_read_data_block)                                                                                         \
    X(archive_read_has_encrypted_entries)                                                                              \
    X(archive_error_string)                                                                                            \
    X(archive_format_name)                                                                                             \
    X(archive_entry_pathname)                                                                                          \
    X(archive_entry_pathname_utf8)                                                                                     \
    X(archive_entry_hardlink)                                                                                          \
    X(archive_entry_filetype)                                                                                          \
    X(archive_entry_size_is_set)                                                                                       \
    X(archive_entry_size)                                                                                              \
    X(archive_entry_mtime_is_set)                                                                                      \
    X(archive_entry_mtime)                                                                                             \
    X(archive_entry_is_encrypted)

namespace ostrel::libarchive {

/// Each function with libarchive's own signature.
struct Functions {
#define OSTREL_LIBARCHIVE_POINTER(name) decltype(&::name) name = nullptr;
    OSTREL_LIBARCHIVE_FUNCTIONS(OSTREL_LIBARCHIVE_POINTER)
#undef OSTREL_LIBARCHIVE_POINTER
};

/// Loads the library, once; empty when every function is there, else why not, for the player.
QString load();

/// The functions; call only after load() came back empty.
const Functions &functions();

} // namespace ostrel::libarchive
