#pragma once
// Result codes of the display and 3D layers and their symbolic names, as the
// log writes them. Failures of the underlying GL and video calls are mapped
// onto the nearest of these codes.
#include <cstdint>

namespace gv {

inline constexpr uint32_t kResultOk = 0;
inline constexpr uint32_t kErrGeneric = 0x80004005;             // DDERR_GENERIC
inline constexpr uint32_t kErrUnsupported = 0x80004001;         // DDERR_UNSUPPORTED
inline constexpr uint32_t kErrOutOfMemory = 0x8007000E;         // DDERR_OUTOFMEMORY
inline constexpr uint32_t kErrInvalidParams = 0x80070057;       // DDERR_INVALIDPARAMS
inline constexpr uint32_t kErrNotInitialized = 0x800401F0;      // DDERR_NOTINITIALIZED
inline constexpr uint32_t kErrBadIndex = 0x88760037;            // bad index, failed copy
inline constexpr uint32_t kErrInvalidMode = 0x88760078;         // DDERR_INVALIDMODE
inline constexpr uint32_t kErrInvalidPixelFormat = 0x88760091;  // DDERR_INVALIDPIXELFORMAT
inline constexpr uint32_t kErrNo3D = 0x887600AA;                // DDERR_NO3D
inline constexpr uint32_t kErrNoZBufferHw = 0x88760154;         // DDERR_NOZBUFFERHW
inline constexpr uint32_t kErrOutOfVideoMemory = 0x8876017C;    // DDERR_OUTOFVIDEOMEMORY
inline constexpr uint32_t kErrSurfaceLost = 0x887601C2;         // DDERR_SURFACELOST
inline constexpr uint32_t kErrCannotAttachSurface = 0x8876000A; // DDERR_CANNOTATTACHSURFACE
inline constexpr uint32_t kErrUnsupportedMode = 0x8876024E;     // DDERR_UNSUPPORTEDMODE
inline constexpr uint32_t kErrNoDirectDrawSupport = 0x887600DE; // DDERR_NODIRECTDRAWSUPPORT
inline constexpr uint32_t kErrUnsupportedFormat = 0x887601FE;   // DDERR_UNSUPPORTEDFORMAT

// The symbolic name of a result code; "Unknown Error" for anything else,
// success included.
const char* ErrorName(uint32_t code);

// How many names the table holds (for checks).
int errorNameCount();

} // namespace gv
