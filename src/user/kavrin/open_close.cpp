// Finding attached devices, opening them under the caller's names, and closing them.
#include <cstdio>
#include <cstring>
#include <new>

#include "KavrinContext.h"

PKAVRIN_CONTEXT KavrinContextFirst = nullptr;
PKAVRIN_CONTEXT KavrinContextLast = nullptr;

/// The last handle given out; handles are numbered from 1 and never 0.
static HANDLE last_handle = 0;

static bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

PKAVRIN_CONTEXT FindKavrinContext(HANDLE hDevice, LPSTR name, LPSTR path) {
  for (PKAVRIN_CONTEXT c = KavrinContextFirst; c != nullptr; c = c->Next) {
    bool by_handle = hDevice != 0 && hDevice == c->DeviceHandle;
    bool by_string = path != nullptr ? same(path, c->PathKey)
                     : name != nullptr ? same(name, c->NameKey)
                                       : false;
    if (by_handle || by_string) return c;
  }
  return nullptr;
}

PKAVRIN_CONTEXT_HEADER kavGetDeviceInformation(HANDLE hDevice) {
  return FindKavrinContext(hDevice, nullptr, nullptr);
}

/// The device interface class of the Kavrin driver, as the platform layer takes it.
static PlatformDeviceClass kavrin_device_class() {
  const KAVRIN_GUID& guid = GUID_DEVINTERFACE_KAVRIN;
  PlatformDeviceClass device_class{guid.Data1, guid.Data2, guid.Data3, {}};
  std::memcpy(device_class.data4, guid.Data4, sizeof device_class.data4);
  return device_class;
}

/// Words the platform's last failure for the user: the call, and its error code in hexadecimal.
static void report_platform_failure() {
  PlatformFailure f = platform_last_failure();
  switch (f.step) {
    case PLATFORM_CLASS_FAILED:
      std::printf("%s - failed: (%lx)\n", f.call, f.code);
      break;
    case PLATFORM_DETAIL_FAILED:
      std::printf("%s - failed (%lx)\n", f.call, f.code);
      break;
    case PLATFORM_NO_MEMORY:
      std::printf("%s - failed\n", f.call);
      break;
    case PLATFORM_OPEN_FAILED:
      std::printf("%s - failed: %lx", f.call, f.code);  // the caller's text ends the line
      break;
    case PLATFORM_NO_FAILURE:
      break;
  }
}

static LPSTR copy_string(const char* text) {
  std::size_t size = std::strlen(text) + 1;
  LPSTR copy = static_cast<LPSTR>(kavrin_allocate(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

static void release_block(KAVRIN_BLOCK& block) {
  kavrin_release(block.RowData);
  kavrin_release(block.ColumnData);
  kavrin_release(block.InputData);
}

/// Releases a context that is not (or no longer) in the table, with all it holds.
static void release_context(PKAVRIN_CONTEXT context) {
  kavrin_release(context->NameKey);
  kavrin_release(context->PathKey);
  kavrin_release(context->DeviceName);
  kavrin_release(context->DevicePath);
  release_block(context->Block00);
  release_block(context->Block80);
  kavrin_release(context);
}

/// A new zero-filled context holding two copies each of `name` and `path`; null, after
/// "malloc - failed", when memory runs out.
static PKAVRIN_CONTEXT new_context(LPSTR name, const char* path) {
  void* memory = kavrin_allocate(sizeof(KAVRIN_CONTEXT));
  if (memory == nullptr) {
    std::printf("malloc - failed\n");
    return nullptr;
  }
  PKAVRIN_CONTEXT context = new (memory) KAVRIN_CONTEXT();
  context->NameKey = copy_string(name);
  context->DeviceName = copy_string(name);
  context->PathKey = copy_string(path);
  context->DevicePath = copy_string(path);
  if (!context->NameKey || !context->DeviceName || !context->PathKey || !context->DevicePath) {
    std::printf("malloc - failed\n");
    release_context(context);
    return nullptr;
  }
  return context;
}

/// Walks the enumeration to the first device that no open context holds and makes a context
/// for it under `name`. 0x11 when there is none, 0x14 when the platform or memory failed.
static BYTE claim_free_device(LPSTR name, PKAVRIN_CONTEXT* claimed) {
  PlatformEnumeration* enumeration = platform_enumerate(kavrin_device_class());
  if (enumeration == nullptr) {
    report_platform_failure();
    return KAVRIN_SYSTEM_ERROR;
  }
  BYTE status = KAVRIN_NO_DEVICE;
  const char* path = nullptr;
  PlatformStep step;
  while ((step = platform_next_path(enumeration, &path)) == PLATFORM_PATH) {
    if (FindKavrinContext(0, nullptr, const_cast<LPSTR>(path)) != nullptr) continue;
    *claimed = new_context(name, path);
    status = *claimed != nullptr ? KAVRIN_SUCCESS : KAVRIN_SYSTEM_ERROR;
    break;
  }
  if (step == PLATFORM_FAILED) {
    report_platform_failure();
    status = KAVRIN_SYSTEM_ERROR;
  }
  platform_end_enumeration(enumeration);
  return status;
}

/// A handle that no open context has.
static HANDLE new_handle() {
  do last_handle++;
  while (last_handle == 0 || FindKavrinContext(last_handle, nullptr, nullptr) != nullptr);
  return last_handle;
}

static void append(PKAVRIN_CONTEXT context) {
  context->Previous = KavrinContextLast;
  if (KavrinContextLast != nullptr)
    KavrinContextLast->Next = context;
  else
    KavrinContextFirst = context;
  KavrinContextLast = context;
}

static void remove_from_table(PKAVRIN_CONTEXT context) {
  if (context->Previous != nullptr)
    context->Previous->Next = context->Next;
  else
    KavrinContextFirst = context->Next;
  if (context->Next != nullptr)
    context->Next->Previous = context->Previous;
  else
    KavrinContextLast = context->Previous;
}

BYTE kavOpen(PHANDLE phDevice, LPSTR name) {
  if (name == nullptr) return KAVRIN_NO_DEVICE;
  if (PKAVRIN_CONTEXT open = FindKavrinContext(0, name, nullptr)) {
    open->OpenCount++;
    *phDevice = open->DeviceHandle;
    return KAVRIN_SUCCESS;
  }
  PKAVRIN_CONTEXT context = nullptr;
  BYTE status = claim_free_device(name, &context);
  if (status == KAVRIN_NO_DEVICE) *phDevice = 0;
  if (status != KAVRIN_SUCCESS) return status;

  context->Device = platform_open(context->DevicePath);
  if (context->Device == nullptr) {
    report_platform_failure();
    release_context(context);
    return KAVRIN_NO_DEVICE;
  }
  context->OpenCount = 1;
  context->DeviceHandle = context->FileHandle = new_handle();
  append(context);
  *phDevice = context->DeviceHandle;
  return KAVRIN_SUCCESS;
}

BYTE kavClose(HANDLE hDevice) {
  PKAVRIN_CONTEXT context = FindKavrinContext(hDevice, nullptr, nullptr);
  if (context == nullptr) return KAVRIN_INVALID_HANDLE;
  if (context->OpenCount > 1) {
    context->OpenCount--;
    return KAVRIN_SUCCESS;
  }
  PlatformDevice* device = context->Device;
  remove_from_table(context);
  release_context(context);
  platform_close(device);
  return KAVRIN_SUCCESS;
}
