// Inside the device library: the per-device contexts and their table, the staging of a block,
// and the library's allocator. Not for callers of the library.
#ifndef KAVRIN_CONTEXT_H
#define KAVRIN_CONTEXT_H

#include <cstddef>

#include "Kavrin.h"
#include "platform.h"

/// The staging of one block; a null data pointer means nothing of that kind is staged.
typedef struct KAVRIN_BLOCK {
  PBYTE RowData;
  DWORD RowLength;
  PBYTE ColumnData;
  DWORD ColumnLength;
  PBYTE InputData;
  DWORD InputLength;
  BYTE BicmState;
} KAVRIN_BLOCK, *PKAVRIN_BLOCK;

/// One open device. It begins with the public header, so a pointer to it serves as one.
typedef struct KAVRIN_CONTEXT : KAVRIN_CONTEXT_HEADER {
  USHORT OpenCount;     ///< opens of this name not yet closed
  HANDLE DeviceHandle;  ///< key for lookups by handle
  LPSTR NameKey;        ///< key for lookups by name
  LPSTR PathKey;        ///< key for lookups by path
  KAVRIN_BLOCK Block00;
  KAVRIN_BLOCK Block80;
  KAVRIN_CONTEXT* Next;
  KAVRIN_CONTEXT* Previous;
  PlatformDevice* Device;  ///< the operating system's side of the handle
} KAVRIN_CONTEXT, *PKAVRIN_CONTEXT;

/// The table of open contexts, in the order of opening.
extern PKAVRIN_CONTEXT KavrinContextFirst;
extern PKAVRIN_CONTEXT KavrinContextLast;

/// The first context that matches the one key given (the others null): a non-null handle, a
/// name or a path, compared exactly. Null when none matches.
PKAVRIN_CONTEXT FindKavrinContext(HANDLE hDevice, LPSTR name, LPSTR path);

/// Finds the open context of `hDevice` and its staging of `block`: 0x01 when no context has the
/// handle, 0x02 when the block is neither 0x00 nor 0x80.
BYTE kavrin_find_block(HANDLE hDevice, BYTE block, PKAVRIN_CONTEXT* context,
                       PKAVRIN_BLOCK* staging);

/// Zero-filled memory of `size` bytes (a distinct block even for 0), or null. Every allocation
/// of the library goes through here; a test build links an allocator that can fail on demand.
void* kavrin_allocate(std::size_t size);
void kavrin_release(void* memory);

#endif
