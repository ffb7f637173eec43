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
typedef uint32_t WORD;  ///< 32 bits wide here (16 on Windows): the library uses none
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

/// Status bytes: every call of the library returns one of these. The four INVALID codes are bits
/// of the device's error byte and never come together from the library.
constexpr BYTE KAVRIN_SUCCESS = 0x00;         ///< the call did what it says
constexpr BYTE KAVRIN_INVALID_HANDLE = 0x01;  ///< no open device has this handle
constexpr BYTE KAVRIN_INVALID_BLOCK = 0x02;   ///< the block is neither 0x00 nor 0x80
constexpr BYTE KAVRIN_INVALID_ROW = 0x04;     ///< no row bytes are staged in the block
constexpr BYTE KAVRIN_INVALID_COLUMN = 0x08;  ///< no column bytes are staged in the block
constexpr BYTE KAVRIN_INVALID_INPUT = 0x10;   ///< no input bytes are staged in the block
constexpr BYTE KAVRIN_NO_DEVICE = 0x11;       ///< no attached device can be opened
constexpr BYTE KAVRIN_SYSTEM_ERROR = 0x14;    ///< the operating system or a transfer failed
constexpr BYTE KAVRIN_NO_MEMORY = 0x15;       ///< memory for the staged or reply bytes ran out

/// The part of a device context that callers may read.
typedef struct KAVRIN_CONTEXT_HEADER {
  LPSTR DeviceName;   ///< the name given to kavOpen
  LPSTR DevicePath;   ///< the platform's path of the device
  HANDLE FileHandle;  ///< the handle kavOpen gave
} KAVRIN_CONTEXT_HEADER, *PKAVRIN_CONTEXT_HEADER;

/// Opens the device called `name` and sets `*phDevice` to its handle: the same handle again, with
/// one more open counted, when the name is open already; else the first attached device that no
/// open context holds, which then keeps the name. Returns
/// - KAVRIN_SUCCESS: `*phDevice` is set;
/// - KAVRIN_NO_DEVICE: `name` is null (nothing is set); every attached device is held, or none is
///   attached (`*phDevice` is set to 0); or the chosen device would not open (the platform's
///   reason is printed on standard output, "open - failed: <code>" or "CreateFile - failed:
///   <code>" in hexadecimal, with no line end; `*phDevice` is left as it was);
/// - KAVRIN_SYSTEM_ERROR: the devices could not be enumerated, or memory for the context ran out
///   (the reason is printed on standard output, ending with a line end).
BYTE kavOpen(PHANDLE phDevice, LPSTR name);
/// Counts one open of `hDevice` down; the last close releases the context and closes the
/// device. KAVRIN_SUCCESS, or KAVRIN_INVALID_HANDLE when no open device has the handle.
BYTE kavClose(HANDLE hDevice);
/// The context header of an open device, valid until its last close; null for any other handle.
PKAVRIN_CONTEXT_HEADER kavGetDeviceInformation(HANDLE hDevice);

/// Staging of one block (0x00 or 0x80): nothing is sent until kavGetOutput. Each call returns
/// KAVRIN_SUCCESS, KAVRIN_INVALID_HANDLE or KAVRIN_INVALID_BLOCK; the three kavSet... calls that
/// copy bytes also KAVRIN_NO_MEMORY, after which nothing of that kind is staged.
/// The current monitor of the block: on when `state` is not 0.
BYTE kavSetBicmState(HANDLE hDevice, BYTE block, BYTE state);
/// The rows of the cells to exchange, one byte per cell, replacing the rows staged before.
BYTE kavSetRow(HANDLE hDevice, BYTE block, PBYTE data, DWORD length);
/// Their columns, one byte per cell; a cell is a row and a column of the same position.
BYTE kavSetColumn(HANDLE hDevice, BYTE block, PBYTE data, DWORD length);
/// The input vectors, one byte per vector.
BYTE kavSetInput(HANDLE hDevice, BYTE block, PBYTE data, DWORD length);
/// Read-back of what is staged: up to `length` bytes into `buffer`, `*count` set to the number
/// copied. Besides the staging statuses above, KAVRIN_INVALID_ROW, KAVRIN_INVALID_COLUMN or
/// KAVRIN_INVALID_INPUT when nothing of that kind is staged (`*count` then is left as it was).
BYTE kavGetRow(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);
BYTE kavGetColumn(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);
BYTE kavGetInput(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);
/// Performs the exchange of the staged block with the device: every cell (as many as the shorter
/// of rows and columns) answers every input vector, one reply byte each, cell by cell. Copies up
/// to `length` reply bytes into `buffer` and sets `*count` to the number copied. Returns
/// KAVRIN_SUCCESS; KAVRIN_INVALID_HANDLE or KAVRIN_INVALID_BLOCK; KAVRIN_INVALID_ROW,
/// KAVRIN_INVALID_COLUMN or KAVRIN_INVALID_INPUT (checked in this order) when that kind is not
/// staged; KAVRIN_NO_MEMORY when the reply does not fit in memory; KAVRIN_SYSTEM_ERROR when a
/// transfer failed or a reply came short (nothing is copied and `*count` is left as it was).
BYTE kavGetOutput(HANDLE hDevice, BYTE block, PBYTE buffer, DWORD length, PDWORD count);

#endif
