#pragma once

// The C interface of libYeldrin.so. JVZ binds these by name at run time; the caller owns every buffer.

#define YELDRIN_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// Lists the ports whose instance ID starts with prefix as "name," entries in buffer, assuming the
// 100-byte buffer its callers pass. Always 1.
YELDRIN_EXPORT int DeviceUsbEnum(const char* prefix, int* count, char* buffer);

// As DeviceUsbEnum for a buffer of size bytes: only whole entries that fit with the final NUL are
// written, and count counts only those. Always 1.
YELDRIN_EXPORT int DeviceUsbEnumEx(const char* prefix, int* count, char* buffer, int size);

// Restarts the device behind the port named portName (ttyACM0 or /dev/ttyACM0). 1 when the port was
// found, whether or not the restart worked; 0 when it was not.
YELDRIN_EXPORT int DeviceUsbRestart(const char* portName);

#ifdef __cplusplus
}
#endif

typedef int (*DeviceUsbEnumFn)(const char* prefix, int* count, char* buffer);
typedef int (*DeviceUsbEnumExFn)(const char* prefix, int* count, char* buffer, int size);
typedef int (*DeviceUsbRestartFn)(const char* portName);
