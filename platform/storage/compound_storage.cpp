// The storage and stream objects over the compound file reader and writer, and the entry points.
#include "platform/storage/compound_file.h"

#include "platform/com/errorinfo.h"
#include "platform/storage/compound_format.h"
#include "platform/storage/compound_reader.h"
#include "platform/storage/compound_writer.h"
#include "platform/storage/storage_internal.h"
#include "platform/storage/storage_module.h"

#include <limits>
#include <memory>
#include <new>
#include <sys/stat.h>

namespace cvk::storage::detail {
namespace {

constexpr DWORD kAccessMask = 0x3;
constexpr DWORD kShareMask = 0x70;
constexpr DWORD kKnownFlags = kAccessMask | kShareMask | STGM_CREATE;

// The names of a storage's root streams, for ListRootStreams.
struct IRootStreamNames : IUnknown {
    static constexpr IID iid{
        0x5A0C7E32, 0x94B2, 0x4F6D, {0x8E, 0x21, 0x3C, 0x7A, 0xD5, 0x40, 0x19, 0xB6}};
    virtual std::vector<std::u16string> Names() const = 0;

protected:
    ~IRootStreamNames() = default;
};

bool ValidFlags(DWORD mode) {
    if (mode & ~kKnownFlags)
        return false;
    if ((mode & kAccessMask) == kAccessMask)
        return false;
    DWORD share = mode & kShareMask;
    return share == 0 || share == STGM_SHARE_EXCLUSIVE || share == STGM_SHARE_DENY_WRITE ||
           share == STGM_SHARE_DENY_READ || share == STGM_SHARE_DENY_NONE;
}

bool WantsWrite(DWORD mode) {
    return (mode & kAccessMask) != STGM_READ;
}

// No exception crosses an interface: allocation failures become E_OUTOFMEMORY.
template <typename Action> HRESULT Guarded(Action action) {
    try {
        return action();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CheckName(LPCOLESTR name, std::u16string_view* out) {
    if (!name)
        return STG_E_INVALIDPOINTER;
    std::u16string_view view(name);
    if (view.empty() || view.size() > format::kMaxNameUnits)
        return STG_E_INVALIDNAME;
    for (char16_t c : view)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!')
            return STG_E_INVALIDNAME;
    *out = view;
    return S_OK;
}

// Where a stream's seek pointer ends up; negative positions are refused.
HRESULT MoveTo(std::uint64_t position, std::uint64_t size, LONGLONG move, DWORD origin,
               std::uint64_t* result) {
    std::int64_t base = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        base = 0;
        break;
    case STREAM_SEEK_CUR:
        base = static_cast<std::int64_t>(position);
        break;
    case STREAM_SEEK_END:
        base = static_cast<std::int64_t>(size);
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    if ((move > 0 && base > std::numeric_limits<std::int64_t>::max() - move) || base + move < 0)
        return STG_E_INVALIDFUNCTION;
    *result = static_cast<std::uint64_t>(base + move);
    return S_OK;
}

class ReadStream final : public StorageObject<IStream> {
public:
    ReadStream(std::shared_ptr<const CompoundFileReader> reader, const RootStream* stream)
        : reader_(std::move(reader)), stream_(stream) {}

    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        if (read)
            *read = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        std::size_t got = 0;
        HRESULT hr = reader_->Read(stream_->layout, position_, buffer, size, &got);
        position_ += got;
        if (read)
            *read = static_cast<ULONG>(got);
        return hr;
    }
    HRESULT Write(const void*, ULONG, ULONG* written) override {
        if (written)
            *written = 0;
        return STG_E_ACCESSDENIED;
    }
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override {
        HRESULT hr = MoveTo(position_, stream_->layout.size, move, origin, &position_);
        if (SUCCEEDED(hr) && newPosition)
            *newPosition = position_;
        return hr;
    }
    HRESULT SetSize(ULONGLONG) override { return STG_E_ACCESSDENIED; }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT GetSize(ULONGLONG* size) override {
        if (!size)
            return E_POINTER;
        *size = stream_->layout.size;
        return S_OK;
    }

private:
    std::shared_ptr<const CompoundFileReader> reader_;
    const RootStream* stream_;
    std::uint64_t position_ = 0;
};

class ReadStorage final : public StorageObject<IStorage, IRootStreamNames> {
public:
    explicit ReadStorage(std::shared_ptr<const CompoundFileReader> reader)
        : reader_(std::move(reader)) {}

    HRESULT CreateStream(LPCOLESTR, DWORD, IStream** out) override {
        if (out)
            *out = nullptr;
        return STG_E_ACCESSDENIED;
    }
    HRESULT OpenStream(LPCOLESTR name, DWORD mode, IStream** out) override {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!ValidFlags(mode) || (mode & STGM_CREATE))
            return STG_E_INVALIDFLAG;
        if (WantsWrite(mode))
            return STG_E_ACCESSDENIED;
        std::u16string_view view;
        CVK_RETURN_IF_FAILED(CheckName(name, &view));
        const RootStream* stream = reader_->FindRootStream(view);
        if (!stream)
            return STG_E_FILENOTFOUND;
        return cvk::CreateObject<ReadStream>(out, reader_, stream);
    }
    HRESULT Commit(DWORD) override { return S_OK; }

    std::vector<std::u16string> Names() const override {
        std::vector<std::u16string> names;
        for (const RootStream& s : reader_->RootStreams())
            names.push_back(s.name);
        return names;
    }

private:
    std::shared_ptr<const CompoundFileReader> reader_;
};

class WriteStream final : public StorageObject<IStream> {
public:
    WriteStream(std::shared_ptr<CompoundFileWriter> writer, std::size_t index)
        : writer_(std::move(writer)), index_(index) {}

    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        if (read)
            *read = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        std::size_t got = 0;
        HRESULT hr =
            Guarded([&] { return writer_->ReadAt(index_, position_, buffer, size, &got); });
        position_ += got;
        if (read)
            *read = static_cast<ULONG>(got);
        return hr;
    }
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
        if (written)
            *written = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        CVK_RETURN_IF_FAILED(
            Guarded([&] { return writer_->WriteAt(index_, position_, buffer, size); }));
        position_ += size;
        if (written)
            *written = size;
        return S_OK;
    }
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override {
        HRESULT hr = MoveTo(position_, writer_->Size(index_), move, origin, &position_);
        if (SUCCEEDED(hr) && newPosition)
            *newPosition = position_;
        return hr;
    }
    HRESULT SetSize(ULONGLONG size) override {
        return Guarded([&] { return writer_->SetSize(index_, size); });
    }
    // The data reaches the file when the storage commits.
    HRESULT Commit(DWORD) override { return writer_->IsFinished() ? STG_E_REVERTED : S_OK; }
    HRESULT GetSize(ULONGLONG* size) override {
        if (!size)
            return E_POINTER;
        *size = writer_->Size(index_);
        return S_OK;
    }

private:
    std::shared_ptr<CompoundFileWriter> writer_;
    std::size_t index_;
    std::uint64_t position_ = 0;
};

class WriteStorage final : public StorageObject<IStorage, IRootStreamNames> {
public:
    explicit WriteStorage(std::shared_ptr<CompoundFileWriter> writer)
        : writer_(std::move(writer)) {}

    HRESULT CreateStream(LPCOLESTR name, DWORD mode, IStream** out) override {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!ValidFlags(mode) || !WantsWrite(mode))
            return STG_E_INVALIDFLAG;
        std::u16string_view view;
        CVK_RETURN_IF_FAILED(CheckName(name, &view));
        if (writer_->IsFinished())
            return STG_E_REVERTED;
        if (writer_->Find(view) >= 0 && !(mode & STGM_CREATE))
            return STG_E_FILEALREADYEXISTS;
        std::size_t index = 0;
        CVK_RETURN_IF_FAILED(Guarded([&] { return writer_->CreateStream(view, &index); }));
        return cvk::CreateObject<WriteStream>(out, writer_, index);
    }
    HRESULT OpenStream(LPCOLESTR name, DWORD mode, IStream** out) override {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!ValidFlags(mode) || (mode & STGM_CREATE))
            return STG_E_INVALIDFLAG;
        std::u16string_view view;
        CVK_RETURN_IF_FAILED(CheckName(name, &view));
        std::ptrdiff_t index = writer_->Find(view);
        if (index < 0)
            return STG_E_FILENOTFOUND;
        return cvk::CreateObject<WriteStream>(out, writer_, static_cast<std::size_t>(index));
    }
    HRESULT Commit(DWORD) override {
        return Guarded([&] { return writer_->Commit(); });
    }

    std::vector<std::u16string> Names() const override { return writer_->Names(); }

private:
    std::shared_ptr<CompoundFileWriter> writer_;
};

HRESULT OpenReader(std::unique_ptr<ByteSource> source, IStorage** out, std::string* diagnostic) {
    std::unique_ptr<CompoundFileReader> reader;
    CVK_RETURN_IF_FAILED(CompoundFileReader::Open(std::move(source), &reader, diagnostic));
    return cvk::CreateObject<ReadStorage>(
        out, std::shared_ptr<const CompoundFileReader>(std::move(reader)));
}

bool Exists(const char* path) {
    struct stat st {};
    return stat(path, &st) == 0;
}

} // namespace

HRESULT CreateCompoundStorage(const char* utf8Path, DWORD mode, unsigned sectorShift,
                              IStorage** out) {
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (!utf8Path)
        return STG_E_INVALIDNAME;
    if (!ValidFlags(mode) || !WantsWrite(mode))
        return STG_E_INVALIDFLAG;
    try {
        if (!(mode & STGM_CREATE) && Exists(utf8Path))
            return STG_E_FILEALREADYEXISTS;
        auto writer = std::make_shared<CompoundFileWriter>();
        CVK_RETURN_IF_FAILED(writer->Open(utf8Path, sectorShift));
        return cvk::CreateObject<WriteStorage>(out, std::move(writer));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace cvk::storage::detail

HRESULT StgCreateDocfile(const char* utf8Path, DWORD mode, IStorage** out) {
    return cvk::storage::detail::CreateCompoundStorage(utf8Path, mode, 9, out);
}

HRESULT StgOpenStorage(const char* utf8Path, DWORD mode, IStorage** out) {
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    using namespace cvk::storage::detail;
    if (!ValidFlags(mode) || WantsWrite(mode) || (mode & STGM_CREATE))
        return STG_E_INVALIDFLAG;
    return cvk::storage::OpenCompoundFile(utf8Path, out, nullptr);
}

namespace cvk::storage {

HRESULT OpenCompoundFile(const char* utf8Path, IStorage** out, std::string* diagnostic) {
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (!utf8Path)
        return STG_E_INVALIDNAME;
    try {
        std::unique_ptr<detail::ByteSource> source;
        CVK_RETURN_IF_FAILED(detail::OpenFileSource(utf8Path, &source));
        return detail::OpenReader(std::move(source), out, diagnostic);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT OpenCompoundFileBytes(std::string_view bytes, IStorage** out, std::string* diagnostic) {
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    try {
        return detail::OpenReader(detail::MakeMemorySource(std::string(bytes)), out, diagnostic);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ListRootStreams(IStorage* storage, std::vector<std::u16string>* names) {
    if (!storage || !names)
        return E_POINTER;
    detail::IRootStreamNames* list = nullptr;
    HRESULT hr =
        storage->QueryInterface(detail::IRootStreamNames::iid, reinterpret_cast<void**>(&list));
    if (FAILED(hr))
        return E_INVALIDARG;
    try {
        *names = list->Names();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    list->Release();
    return hr;
}

} // namespace cvk::storage
