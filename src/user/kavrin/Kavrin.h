// The Kavrin device library: opening boxes, staging an exchange, reading the replies.
// This is the library's only public header; it declares its own basic types so that callers
// include no platform header.
#ifndef KAVRIN_H
#define KAVRIN_H

#include <cstdint>

typedef char CHAR;
typedef char* PCHAR;
typedef char* PSTR;
typedef char* LPSTR;
typedef unsigned char UCHAR;
typedef unsigned char BYTE;
typedef unsigned char* PUCHAR;
typedef unsigned char* PBYTE;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int32_t INT;
typedef int32_t LONG;
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint32_t WORD;
typedef uint32_t HANDLE;  ///< a device handle of this library, not of the operating system
typedef uint32_t* PHANDLE;
typedef uint32_t* PDWORD;
typedef double DOUBLE;
typedef void VOID;

/// A 128-bit globally unique identifier, in the four fields of the usual notation
/// {Data1-Data2-Data3-Data4[0]Data4[1]-Data4[2..7]}. Only standard types: this header names no
/// platform type.
typedef struct KAVRIN_GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} KAVRIN_GUID;

/// The device interface class that the Kavrin driver registers for every box it serves,
/// {e515cab9-10ad-41d5-bc2d-5a6d1b92c44a}: on Windows the library finds the boxes as the
/// present members of this class.
constexpr KAVRIN_GUID GUID_DEVINTERFACE_KAVRIN = {
    0xe515cab9, 0x10ad, 0x41d5, {0xbc, 0x2d, 0x5a, 0x6d, 0x1b, 0x92, 0xc4, 0x4a}};
/// The device setup class of the Kavrin driver's installation,
/// {d553a743-a7eb-4d58-b08e-2b19ba459d92}; the library itself does not use it.
constexpr KAVRIN_GUID GUID_DEVCLASS_KAVRIN = {
    0xd553a743, 0xa7eb, 0x4d58, {0xb0, 0x8e, 0x2b, 0x19, 0xba, 0x45, 0x9d, 0x92}};

/// Status bytes.
constexpr BYTE KAVRIN_SUCCESS = 0x00;
constexpr BYTE KAVRIN_INVALID_HANDLE = 0x01;
constexpr BYTE KAVRIN_INVALID_BLOCK = 0x02;
constexpr BYTE KAVRIN_INVALID_ROW = 0x04;
constexpr BYTE KAVRIN_INVALID_COLUMN = 0x08;
constexpr BYTE KAVRIN_INVALID_INPUT = 0x10;
constexpr BYTE KAVRIN_NO_DEVICE = 0x11;
constexpr BYTE KAVRIN_SYSTEM_ERROR = 0x14;
constexpr BYTE KAVRIN_NO_MEMORY = 0x15;

/// The part of a device context that callers may read.
typedef struct KAVRIN_CONTEXT_HEADER {
  LPSTR DeviceName;   ///< the name given to kavOpen
  LPSTR DevicePath;   ///< the platform's path of the device
  HANDLE FileHandle;  ///< the handle kavOpen gave
} KAVRIN_CONTEXT_HEADER, *PKAVRIN_CONTEXT_HEADER;

/// Opens the device called `name`: the same handle again when the name is open, else the
/// first attached device that no open context holds.
BYTE kavOpen(PHANDLE phDevice, LPSTR name);
/// Counts one open down; the last close releases the context and closes the device.
BYTE kavClose(HANDLE hDevice);
/// The context header of an open device, or null.
PKAVRIN_CONTEXT_HEADER kavGetDeviceInformation(HANDLE hDevice);

/// Staging of one block (0x00 or 0x80): nothing is sent until kavGetOutput.
BYTE kavSetBicmState(HANDLE hDevice, BYTE block, BYTE state);
BYTE kavSetRow(HANDLE hDevice, BYTE block, PBYTE data, DWORD length);
BYTE kavSetColumn(HANDLE hDevice, BYTE block, PBYTE data, DWORD length);
BYTE kavSetInput(HANDLE hDevice, BYTE block, PBYTE data, DWORD length);
/// Read-back of what is staged.
BYTE kavGetRow(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);
BYTE kavGetColumn(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);
BYTE kavGetInput(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);
/// Performs the exchange of the block and copies up to `length` reply bytes into `buffer`.
BYTE kavGetOutput(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);

#endif
