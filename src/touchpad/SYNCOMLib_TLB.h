// The touchpad driver's COM API as far as the program uses it: two classes, two interfaces and
// their operations at fixed positions. Positions the program never calls are reserved so that the
// used ones stay where the driver has them. Declarations only.
#pragma once
#include <unknwn.h>

namespace quorlin::syncom {

// {9C042297-D1CD-4F0D-B1AB-9F48AD6A6DFF}
inline constexpr CLSID CLSID_SynAPI = {0x9C042297, 0xD1CD, 0x4F0D, {0xB1, 0xAB, 0x9F, 0x48, 0xAD, 0x6A, 0x6D, 0xFF}};
// {41320763-F0EC-4B7F-9A2E-B4DA92C80FE7}
inline constexpr IID IID_ISynAPI = {0x41320763, 0xF0EC, 0x4B7F, {0x9A, 0x2E, 0xB4, 0xDA, 0x92, 0xC8, 0x0F, 0xE7}};
// {9345312C-D098-4BB1-B2B2-D529EB995173}
inline constexpr CLSID CLSID_SynDevice = {0x9345312C, 0xD098, 0x4BB1, {0xB2, 0xB2, 0xD5, 0x29, 0xEB, 0x99, 0x51, 0x73}};
// {E7D5F8AC-866C-4C8C-AF5F-F28DE4918647}
inline constexpr IID IID_ISynDevice = {0xE7D5F8AC, 0x866C, 0x4C8C, {0xAF, 0x5F, 0xF2, 0x8D, 0xE4, 0x91, 0x86, 0x47}};

// The device property that holds whether the touchpad is disabled: 0 enabled, 1 disabled.
inline constexpr LONG DeviceDisabledProperty = 0x10000171;

// The API object: positions 3 and 4 after IUnknown.
struct ISynAPI : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize() = 0;
    // Finds a device of the given connection and type (the program asks for 0 and 2).
    virtual HRESULT STDMETHODCALLTYPE FindDevice(LONG connection, LONG deviceType, LONG* handle) = 0;
};

// The device object: positions 3, 6 and 15 are used; the others are reserved.
struct ISynDevice : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperty(LONG property, LONG* value) = 0;  // 3
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProperty(LONG property, LONG value) = 0;   // 6
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Select(LONG handle) = 0;                       // 15
};

}  // namespace quorlin::syncom
