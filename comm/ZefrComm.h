#ifndef ZEFRCOMM_H
#define ZEFRCOMM_H
/* The link library's one entry and the packets it carries to the firmware.
 * Usable from C and C++. All multi-byte fields are little-endian. */

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
typedef BOOL ZefrBool;
#define ZEFRCOMM_CALL
#else
typedef int ZefrBool; /* a Windows BOOL: nonzero is success */
#define ZEFRCOMM_CALL
#endif

#if defined(ZEFRCOMM_BUILDING)
#if defined(_WIN32)
#define ZEFRCOMM_API __declspec(dllexport)
#else
#define ZEFRCOMM_API __attribute__((visibility("default")))
#endif
#else
#define ZEFRCOMM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Request packet: this header, then requestLength bytes of data. The packet
 * is requestLength + 5 bytes long. */
#pragma pack(push, 1)
typedef struct ZefrRequestHeader {
  uint8_t command;         /* 0 to ZEFR_MAX_COMMAND */
  uint16_t requestLength;  /* L: bytes of data after the header */
  uint16_t responseLength; /* R: full length of the expected response */
} ZefrRequestHeader;

/* Response packet: R bytes; byte 0 is the completion code (0 = success). */
typedef struct ZefrResponseHeader {
  uint8_t completionCode;
} ZefrResponseHeader;
#pragma pack(pop)

#define ZEFR_REQUEST_HEADER_SIZE 5
#define ZEFR_MAX_COMMAND 141
/* Command 17 carries counts n (data byte 1) and m (data byte 2):
 * L must be n + 3 and R must be m + 1. */
#define ZEFR_COUNTED_COMMAND 17

/* Device interface class and the firmware client the connection names. */
#define ZEFR_DEVICE_CLASS_TEXT "{E2D1FF34-3458-49A9-88DA-8E6915CE9BE5}"
#define ZEFR_CONNECT_CONTROL_CODE 0x8000E004u
#define ZEFR_CONNECT_REPLY_SIZE 5

/* Library error codes are Windows error numbers on every platform. */
#define ZEFR_ERROR_BAD_FORMAT 11u
#define ZEFR_ERROR_BAD_COMMAND 22u
#define ZEFR_ERROR_BAD_LENGTH 24u
#define ZEFR_ERROR_TIMEOUT 1460u

/* Carries one request packet to the firmware and copies its response into
 * `response`. Returns nonzero on success; 0 with the thread's last-error code
 * set on failure. A nonzero completion code is a delivered response, not a
 * failure. Exported by name and as ordinal 1. */
ZEFRCOMM_API ZefrBool ZEFRCOMM_CALL ZefrCommand(const uint8_t* request, uint32_t requestLength,
                                                uint8_t* response, uint32_t responseLength);

typedef ZefrBool(ZEFRCOMM_CALL* ZefrCommandProc)(const uint8_t*, uint32_t, uint8_t*, uint32_t);

#if !defined(_WIN32)
/* ELF has no export ordinals and no load entry that can refuse the load, so
 * the library exports this one table in their place. A loader binds ordinal N
 * to entries[N] and, right after loading, asks attachResult(): nonzero means
 * the load entry failed and the library must be unloaded again, as a failed
 * process attach would. lastError() hands a caller the library's thread
 * last-error code, which on Windows both sides share. */
typedef void (*ZefrCommProc)(void);
typedef struct ZefrCommOrdinalTable {
  uint32_t size;  /* sizeof(ZefrCommOrdinalTable) */
  uint32_t count; /* ordinal slots in entries; entries[0] is unused */
  uint32_t (*attachResult)(void);
  uint32_t (*lastError)(void);
  ZefrCommProc entries[2];
} ZefrCommOrdinalTable;

#define ZEFRCOMM_ORDINAL_TABLE_SYMBOL "ZefrCommOrdinals"
ZEFRCOMM_API extern const ZefrCommOrdinalTable ZefrCommOrdinals;
#endif

#ifdef __cplusplus
}
#endif

#endif /* ZEFRCOMM_H */
