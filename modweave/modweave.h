// The module engine's interfaces: what the engine asks of a modular flash image and its modules.
#pragma once

#include "platform/com/stream.h"

constexpr CLSID CLSID_ModweaveEngine{
    0xBDD0C9DE, 0xBBFE, 0x4BF4, {0xB4, 0x58, 0xAB, 0x6E, 0x29, 0x63, 0xA9, 0xA1}};

// Module types as the module engine reports them; any other value is a normal module.
constexpr LONG MODWEAVE_TYPE_LANGUAGE = 1;
constexpr LONG MODWEAVE_TYPE_LOGO = 2;
constexpr LONG MODWEAVE_TYPE_BADGE = 3;

// The module engine's failure when the BIOS update file cannot be written.
constexpr HRESULT MODWEAVE_E_WRITEFILE = MakeStatus(0x80040803);
// A logo file that is neither a JPEG nor a BMP picture with a readable size.
constexpr HRESULT MODWEAVE_E_PICTUREFORMAT = MakeStatus(0x80040804);
// Saved engine state that is damaged, cut short or of an unknown version.
constexpr HRESULT MODWEAVE_E_STATEFORMAT = MakeStatus(0x80040805);
// An operation that needs an open flash image was called without one.
constexpr HRESULT MODWEAVE_E_NOIMAGE = MakeStatus(0x80040806);

// The splash logo of a flash image: the user's picture and the badge drawn over it.
struct IModweaveLogo : IUnknown {
    static constexpr IID iid{
        0x5C1F0B7E, 0x2D4A, 0x4E61, {0x9B, 0x3E, 0x71, 0x0A, 0xC4, 0x58, 0x2F, 0x93}};
    virtual HRESULT get_BadgeX(LONG* x) = 0;
    virtual HRESULT put_BadgeX(LONG x) = 0;
    virtual HRESULT get_BadgeY(LONG* y) = 0;
    virtual HRESULT put_BadgeY(LONG y) = 0;
    virtual HRESULT get_DisplayBadge(VARIANT_BOOL* display) = 0;
    virtual HRESULT put_DisplayBadge(VARIANT_BOOL display) = 0;
    virtual HRESULT get_ImageName(BSTR* name) = 0;
    // 0: 640 by 480, 1: 800 by 600, 2: 1024 by 768.
    virtual HRESULT get_Resolution(LONG* resolution) = 0;
    virtual HRESULT put_Resolution(LONG resolution) = 0;
    // Reads a JPEG or BMP file; the file must exist and be one of those formats.
    virtual HRESULT SetImageFromFile(BSTR fileName) = 0;
    virtual HRESULT ClearImage() = 0;

protected:
    ~IModweaveLogo() = default;
};

// One module of the flash image's catalogue.
struct IModweaveModule : IUnknown {
    static constexpr IID iid{
        0x8E4B6D21, 0x7F30, 0x4C9A, {0xA2, 0x15, 0x3D, 0x9E, 0x60, 0xB7, 0x14, 0xC8}};
    virtual HRESULT get_Required(VARIANT_BOOL* required) = 0;
    virtual HRESULT get_UserUpdateable(VARIANT_BOOL* updateable) = 0;
    virtual HRESULT get_ShortDescription(BSTR* text) = 0;
    virtual HRESULT get_LongDescription(BSTR* text) = 0;
    virtual HRESULT get_Handle(LONG* handle) = 0;
    virtual HRESULT get_Size(LONG* bytes) = 0;
    virtual HRESULT get_Selected(VARIANT_BOOL* selected) = 0;
    virtual HRESULT put_Selected(VARIANT_BOOL selected) = 0;
    virtual HRESULT get_DependencyCount(LONG* count) = 0;
    // The handle of dependency `index` (0-based).
    virtual HRESULT GetDependency(LONG index, LONG* handle) = 0;
    virtual HRESULT get_Type(LONG* type) = 0;
    virtual HRESULT get_ContainsUserData(VARIANT_BOOL* contains) = 0;
    virtual HRESULT get_Default(VARIANT_BOOL* isDefault) = 0;
    // The logo object of a logo module; E_NOINTERFACE for other modules.
    virtual HRESULT get_Logo(IModweaveLogo** logo) = 0;

protected:
    ~IModweaveModule() = default;
};

// The catalogue of an opened flash image, in image order.
struct IModweaveModules : IUnknown {
    static constexpr IID iid{
        0x2A7D93F4, 0x61C8, 0x4B05, {0x8F, 0x4C, 0xE2, 0x1B, 0x95, 0x3A, 0x70, 0xD6}};
    virtual HRESULT get_Count(LONG* count) = 0;
    // 0-based position in the catalogue.
    virtual HRESULT GetItem(LONG index, IModweaveModule** module) = 0;
    // E_INVALIDARG when no module has the handle.
    virtual HRESULT GetByHandle(LONG handle, IModweaveModule** module) = 0;

protected:
    ~IModweaveModules() = default;
};

// The module engine object.
struct IModweaveEngine : IUnknown {
    static constexpr IID iid{
        0xBAD96978, 0x58CD, 0x4D36, {0x86, 0x37, 0x0D, 0xBA, 0x88, 0x5C, 0x93, 0x5D}};
    virtual HRESULT Initialize(LONG options) = 0;
    virtual HRESULT get_FlashPartSize(LONG* bytes) = 0;
    virtual HRESULT put_FlashPartSize(LONG bytes) = 0;
    virtual HRESULT get_Modules(IModweaveModules** modules) = 0;
    // Bytes taken by the content that every update carries.
    virtual HRESULT get_RequiredSpace(LONG* bytes) = 0;
    virtual HRESULT get_ImageVersion(BSTR* version) = 0;
    virtual HRESULT CreateUpdateFile(BSTR fileName) = 0;
    virtual HRESULT get_SelectionValid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT SelectDefaults() = 0;
    virtual HRESULT get_EngineVersion(BSTR* version) = 0;
    // `loaded` is true when the file is a modular flash image and is now the engine's image.
    // S_FALSE (not loaded) when the file is a modular image that cannot be read whole (a part
    // missing or damaged); the error info then names the file and what is wrong.
    virtual HRESULT OpenFlashImage(BSTR fileName, VARIANT_BOOL* loaded) = 0;
    virtual HRESULT get_Changed(VARIANT_BOOL* changed) = 0;
    virtual HRESULT SaveState(IStream* stream, VARIANT_BOOL clearChanged) = 0;
    virtual HRESULT LoadState(IStream* stream) = 0;

protected:
    ~IModweaveEngine() = default;
};
