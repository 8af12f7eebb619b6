// The CMOS object: its interface members, the walks over the whole tree, and its record.
#include "engine/cmos/cmos.h"

#include "platform/com/errorinfo.h"
#include "platform/storage/memory_stream.h"

#include <string>

namespace cvk {
namespace {

HRESULT GetLong(std::uint64_t value, LONG* out) {
    if (!out)
        return E_POINTER;
    *out = static_cast<LONG>(value);
    return S_OK;
}

HRESULT GetBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// Each group's own settings, then its children: the order of the keyword search.
template <class Visit> bool FindInGroup(const GroupNode& group, Visit&& visit) {
    for (const ComPtr<SettingNode>& setting : group.Settings().Items())
        if (visit(*setting))
            return true;
    for (const ComPtr<GroupNode>& child : group.Children().Items())
        if (FindInGroup(*child, visit))
            return true;
    return false;
}

} // namespace

template <class Visit> void Cmos::ForEachSetting(Visit&& visit) const {
    if (root_)
        root_->ForEachSetting([&](SettingNode& setting) {
            visit(setting);
            return S_OK;
        });
}

void Cmos::SetLimits(std::uint32_t maxHide, std::uint32_t maxLock) {
    maxHide_ = maxHide;
    maxLock_ = maxLock;
    requiresSave_ = true;
}

void Cmos::Reset() {
    valid_ = false;
    requiresSave_ = true;
}

std::uint32_t Cmos::CurNumLockSettings() const {
    std::uint32_t count = 0;
    ForEachSetting([&](const SettingNode& setting) { count += setting.Locked() ? 1 : 0; });
    return count;
}

std::uint32_t Cmos::CurNumHideSettings() const {
    std::uint32_t count = 0;
    ForEachSetting([&](const SettingNode& setting) { count += setting.Hidden() ? 1 : 0; });
    return count;
}

SettingNode* Cmos::FindByKeyword(std::u16string_view keyword) const {
    SettingNode* found = nullptr;
    if (!root_ || keyword.empty())
        return nullptr;
    FindInGroup(*root_, [&](SettingNode& setting) {
        if (setting.Keyword().view() != keyword)
            return false;
        found = &setting;
        return true;
    });
    return found;
}

HRESULT Cmos::get_DataTree(IGroupNode** root) {
    if (!root)
        return E_POINTER;
    *root = root_.get();
    if (*root)
        (*root)->AddRef();
    return S_OK;
}

HRESULT Cmos::RestoreHalvexDefaults() {
    if (root_)
        CVK_RETURN_IF_FAILED(root_->ForEachSetting(
            [](SettingNode& setting) { return setting.RestoreHalvexDefaultChoice(); }));
    requiresSave_ = true;
    return S_OK;
}

HRESULT Cmos::get_Valid(VARIANT_BOOL* valid) {
    return GetBool(valid_, valid);
}

HRESULT Cmos::get_BiosSupportsLockHide(VARIANT_BOOL* supported) {
    return GetBool(std::uint64_t{maxHide_} + maxLock_ > 0, supported);
}

HRESULT Cmos::ClearAllReviewFlags() {
    ForEachSetting([](SettingNode& setting) { setting.SetNeedsReview(false); });
    return S_OK;
}

HRESULT Cmos::get_NeedsReview(VARIANT_BOOL* needsReview) {
    if (!needsReview)
        return E_POINTER;
    bool any = root_ && FindInGroup(*root_, [](SettingNode& s) { return s.NeedsReview(); });
    return GetBool(any, needsReview);
}

HRESULT Cmos::get_MaxNumHideSettings(LONG* count) {
    return GetLong(maxHide_, count);
}
HRESULT Cmos::get_MaxNumLockSettings(LONG* count) {
    return GetLong(maxLock_, count);
}
HRESULT Cmos::get_CurNumLockSettings(LONG* count) {
    return GetLong(CurNumLockSettings(), count);
}
HRESULT Cmos::get_CurNumHideSettings(LONG* count) {
    return GetLong(CurNumHideSettings(), count);
}

HRESULT Cmos::ClearLockHideSettings() {
    ForEachSetting([](SettingNode& setting) { setting.SetLockHide(false, false); });
    return S_OK;
}

HRESULT Cmos::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    if (!root_)
        return E_UNEXPECTED;
    return Boundary(kCmosErrorSource, [&]() -> HRESULT {
        RecordWriter out(stream);
        CVK_RETURN_IF_FAILED(CmosRecord::WriteStart(out));
        CVK_RETURN_IF_FAILED(out.Bool(requiresSave_ ? VARIANT_TRUE : VARIANT_FALSE));
        CVK_RETURN_IF_FAILED(out.Bool(valid_ ? VARIANT_TRUE : VARIANT_FALSE));
        CVK_RETURN_IF_FAILED(out.U32(maxHide_));
        CVK_RETURN_IF_FAILED(out.U32(maxLock_));
        if (clearDirty)
            requiresSave_ = false;
        return root_->SaveRecord(out, stream, clearDirty);
    });
}

HRESULT Cmos::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return Boundary(kCmosErrorSource, [&]() -> HRESULT {
        // The tree is read in thousands of small fields: they are read from a copy of the rest
        // of the stream in memory, and the stream is then moved past what the record took.
        ULONGLONG start = 0, size = 0;
        CVK_RETURN_IF_FAILED(stream->Seek(0, STREAM_SEEK_CUR, &start));
        CVK_RETURN_IF_FAILED(stream->GetSize(&size));
        std::string rest(size > start ? static_cast<std::size_t>(size - start) : 0, '\0');
        ULONG read = 0;
        CVK_RETURN_IF_FAILED(stream->Read(rest.data(), static_cast<ULONG>(rest.size()), &read));
        rest.resize(read);
        ComPtr<IStream> copy;
        CVK_RETURN_IF_FAILED(CreateMemoryStreamOn(rest, copy.put()));
        CVK_RETURN_IF_FAILED(LoadRecord(copy.get()));
        ULONGLONG used = 0;
        CVK_RETURN_IF_FAILED(copy->Seek(0, STREAM_SEEK_CUR, &used));
        return stream->Seek(static_cast<LONGLONG>(start + used), STREAM_SEEK_SET, nullptr);
    });
}

HRESULT Cmos::LoadRecord(IStream* stream) {
    RecordReader in(stream);
    CVK_RETURN_IF_FAILED(CmosRecord::ReadStart(in));
    VARIANT_BOOL requiresSave = VARIANT_FALSE, valid = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(in.Bool(&requiresSave));
    CVK_RETURN_IF_FAILED(in.Bool(&valid));
    std::uint32_t maxHide = 0, maxLock = 0;
    CVK_RETURN_IF_FAILED(in.U32(&maxHide));
    CVK_RETURN_IF_FAILED(in.U32(&maxLock));
    auto root = MakeObject<GroupNode>();
    root->Initialize();
    CVK_RETURN_IF_FAILED(root->LoadRecord(in, stream, 0));
    root_ = root;
    maxHide_ = maxHide;
    maxLock_ = maxLock;
    valid_ = valid != VARIANT_FALSE;
    requiresSave_ = false;
    return S_OK;
}

} // namespace cvk
