// Compound files (the documented structured-storage container): IStorage and how to open one.
#pragma once

#include "platform/com/stream.h"

#include <string>
#include <string_view>
#include <vector>

// Access, sharing and creation flags. Sharing is advisory on this platform: a storage is
// always used by one process at a time, so the share bits are accepted and not enforced.
constexpr DWORD STGM_READ = 0x0;
constexpr DWORD STGM_WRITE = 0x1;
constexpr DWORD STGM_READWRITE = 0x2;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x40;
constexpr DWORD STGM_SHARE_DENY_READ = 0x30;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x20;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
constexpr DWORD STGM_CREATE = 0x1000;

// Statuses of this layer that the shared status list does not carry.
constexpr HRESULT STG_E_REVERTED = MakeStatus(0x80030102);
constexpr HRESULT STG_E_DOCFILETOOLARGE = MakeStatus(0x80030111);

// A storage holding named streams at its root. Stream names are at most 31 UTF-16 units,
// compared without regard to case, and may not contain '/', '\\', ':' or '!'.
struct IStorage : IUnknown {
    static constexpr IID iid{
        0x5A0C7E31, 0x94B2, 0x4F6D, {0x8E, 0x21, 0x3C, 0x7A, 0xD5, 0x40, 0x19, 0xB6}};
    // Adds a stream (write access required in `mode`). An existing stream of that name gives
    // STG_E_FILEALREADYEXISTS unless `mode` has STGM_CREATE, which empties and reuses it.
    virtual HRESULT CreateStream(LPCOLESTR name, DWORD mode, IStream** out) = 0;
    // Opens an existing root stream: STG_E_FILENOTFOUND when there is none of that name.
    // Streams of a storage opened for reading refuse write access with STG_E_ACCESSDENIED.
    virtual HRESULT OpenStream(LPCOLESTR name, DWORD mode, IStream** out) = 0;
    // Writes the file and puts it in place of the target in one step. A storage commits once;
    // afterwards its streams stay readable and changes give STG_E_REVERTED. Released without a
    // commit, a new storage leaves the target as it was. A read-only storage commits nothing.
    virtual HRESULT Commit(DWORD flags) = 0;

protected:
    ~IStorage() = default;
};

// Starts a new compound file at `utf8Path` for writing. The file appears when the storage is
// committed, replacing an existing one when `mode` has STGM_CREATE (without it an existing file
// gives STG_E_FILEALREADYEXISTS). `mode` needs STGM_WRITE or STGM_READWRITE. A target (or its
// folder) without any write permission bit gives STG_E_ACCESSDENIED, also for the superuser.
HRESULT StgCreateDocfile(const char* utf8Path, DWORD mode, IStorage** out);

// Opens a compound file for reading (`mode` STGM_READ, with any share flag). A file that is not
// a compound file gives STG_E_FILEALREADYEXISTS; a missing one STG_E_FILENOTFOUND; a damaged
// one STG_E_DOCFILECORRUPT. The whole structure is checked before the storage is handed out.
HRESULT StgOpenStorage(const char* utf8Path, DWORD mode, IStorage** out);

namespace cvk::storage {

// The same check and storage over bytes in memory (the fuzz target and tests use it).
// `diagnostic`, when given, receives what was wrong with the bytes.
HRESULT OpenCompoundFileBytes(std::string_view bytes, IStorage** out,
                              std::string* diagnostic = nullptr);

// StgOpenStorage with the reason for a failure in words ("sector shift: expected 9 or 12,
// found 14").
HRESULT OpenCompoundFile(const char* utf8Path, IStorage** out, std::string* diagnostic);

// The names of the streams at the root of a storage from this layer, in directory order.
HRESULT ListRootStreams(IStorage* storage, std::vector<std::u16string>* names);

} // namespace cvk::storage
