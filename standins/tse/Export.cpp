#include "Device.h"

#include <archive.h>
#include <archive_entry.h>

namespace worm {

namespace {

struct Sink {
    WormExportTarCallback callback;
    void *data;
    bool refused = false;
};

la_ssize_t forward(struct archive *, void *clientData, const void *buffer, size_t length)
{
    auto *sink = static_cast<Sink *>(clientData);
    // Once refused, libarchive may still try to flush; the receiver has said no.
    if (sink->refused || sink->callback(static_cast<const unsigned char *>(buffer), static_cast<uint32_t>(length), sink->data) != 0) {
        sink->refused = true;
        return -1;
    }
    return static_cast<la_ssize_t>(length);
}

} // namespace

int writeTar(const std::vector<TarMember> &members, WormExportTarCallback callback, void *callbackData)
{
    Sink sink{callback, callbackData};
    struct archive *a = archive_write_new();
    if (!a)
        return WORM_ERROR_OUTOFMEM;
    // ustar, with pax headers only for names longer than ustar allows.
    bool ok = archive_write_set_format_pax_restricted(a) == ARCHIVE_OK &&
              archive_write_open(a, &sink, nullptr, forward, nullptr) == ARCHIVE_OK;
    struct archive_entry *entry = archive_entry_new();
    ok = ok && entry;
    for (const auto &m : members) {
        if (!ok)
            break;
        archive_entry_clear(entry);
        archive_entry_set_pathname(entry, m.name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0444);
        archive_entry_set_size(entry, static_cast<la_int64_t>(m.content.size()));
        archive_entry_set_mtime(entry, m.mtime, 0);
        ok = archive_write_header(a, entry) == ARCHIVE_OK &&
             archive_write_data(a, m.content.data(), m.content.size()) == static_cast<la_ssize_t>(m.content.size());
    }
    if (entry)
        archive_entry_free(entry);
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok && !sink.refused ? WORM_ERROR_NOERROR : WORM_ERROR_EXPORT_FAILED;
}

} // namespace worm
