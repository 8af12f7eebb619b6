// Fixed-width types and status codes of the automation platform, as the interfaces use them.
#pragma once

#include <cstdint>
#include <cstring>

using BYTE = std::uint8_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using LONG = std::int32_t; // never `long`: it is 64-bit on this platform
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using HRESULT = std::int32_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using SCODE = HRESULT;
using DATE = double;
using FLOAT = float;
using DOUBLE = double;
using CHAR = std::int8_t; // the 1-byte signed integer of VT_I1
using INT = std::int32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using VARTYPE = std::uint16_t;
using LPOLESTR = OLECHAR*;

#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif

// Currency: a 64-bit integer scaled by 10000 (four decimal places).
struct CY {
    LONGLONG int64;
};

// Marks the runtime's own functions as exported even when the including library builds with
// hidden visibility.
#define CVK_COM_API __attribute__((visibility("default")))

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

constexpr HRESULT MakeStatus(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

// Generic statuses.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeStatus(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeStatus(0x80004002);
constexpr HRESULT E_POINTER = MakeStatus(0x80004003);
constexpr HRESULT E_ABORT = MakeStatus(0x80004004);
constexpr HRESULT E_FAIL = MakeStatus(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeStatus(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeStatus(0x80070005);
constexpr HRESULT E_OUTOFMEMORY = MakeStatus(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeStatus(0x80070057);

// Class factory and registration.
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeStatus(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeStatus(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeStatus(0x80040154);
constexpr HRESULT REGDB_E_READREGDB = MakeStatus(0x80040150);
constexpr HRESULT REGDB_E_WRITEREGDB = MakeStatus(0x80040151);
constexpr HRESULT REGDB_E_KEYMISSING = MakeStatus(0x80040152);
constexpr HRESULT REGDB_E_INVALIDVALUE = MakeStatus(0x80040153);
constexpr HRESULT CO_E_CLASSSTRING = MakeStatus(0x800401F3);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeStatus(0x800401F0);
constexpr HRESULT CO_E_DLLNOTFOUND = MakeStatus(0x8004018B);
constexpr HRESULT CO_E_ERRORINDLL = MakeStatus(0x800401F9);
constexpr HRESULT SELFREG_E_TYPELIB = MakeStatus(0x80040200);
constexpr HRESULT SELFREG_E_CLASS = MakeStatus(0x80040201);

// Variant conversions.
constexpr HRESULT DISP_E_BADVARTYPE = MakeStatus(0x80020008);
constexpr HRESULT DISP_E_OVERFLOW = MakeStatus(0x8002000A);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeStatus(0x80020005);

// Structured storage.
constexpr HRESULT STG_E_INVALIDFUNCTION = MakeStatus(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = MakeStatus(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = MakeStatus(0x80030003);
constexpr HRESULT STG_E_ACCESSDENIED = MakeStatus(0x80030005);
constexpr HRESULT STG_E_INVALIDHANDLE = MakeStatus(0x80030006);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = MakeStatus(0x80030008);
constexpr HRESULT STG_E_INVALIDPOINTER = MakeStatus(0x80030009);
constexpr HRESULT STG_E_WRITEFAULT = MakeStatus(0x8003001D);
constexpr HRESULT STG_E_READFAULT = MakeStatus(0x8003001E);
constexpr HRESULT STG_E_SHAREVIOLATION = MakeStatus(0x80030020);
constexpr HRESULT STG_E_FILEALREADYEXISTS = MakeStatus(0x80030050);
constexpr HRESULT STG_E_INVALIDPARAMETER = MakeStatus(0x80030057);
constexpr HRESULT STG_E_MEDIUMFULL = MakeStatus(0x80030070);
constexpr HRESULT STG_E_INVALIDNAME = MakeStatus(0x800300FC);
constexpr HRESULT STG_E_INVALIDFLAG = MakeStatus(0x800300FF);
constexpr HRESULT STG_E_DOCFILECORRUPT = MakeStatus(0x80030109);
constexpr HRESULT STG_E_INVALIDHEADER = MakeStatus(0x800300FB);
constexpr HRESULT STG_E_SEEKERROR = MakeStatus(0x80030019);

// A 128-bit class or interface identifier.
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i])
                return false;
        return true;
    }
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
