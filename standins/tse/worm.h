/* libWormAPI: our TSE device library (a file-backed technical security device).
 *
 * The register loads the library at run time and looks every function up by
 * name, so the names, arguments and results here are the contract. Every
 * function returning int returns a WORM_ERROR_* code, 0 meaning success.
 */
#ifndef ORVENPOS_WORM_H
#define ORVENPOS_WORM_H

#include <stdint.h>

#if defined(__GNUC__)
#define WORM_API __attribute__((visibility("default")))
#else
#define WORM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum WormError {
    WORM_ERROR_NOERROR = 0,
    /* Also returned when the device is not ready for the call: no login,
       no self test or no time update yet, unknown transaction. */
    WORM_ERROR_INVALID_PARAMETER = 1,
    WORM_ERROR_NO_WORM_CARD = 2,
    WORM_ERROR_IO = 3,
    WORM_ERROR_TIMEOUT = 4,
    WORM_ERROR_OUTOFMEM = 5,
    WORM_ERROR_INVALID_RESPONSE = 6,
    WORM_ERROR_STORE_FULL = 7,
    WORM_ERROR_RESPONSE_MISSING = 8,
    WORM_ERROR_EXPORT_NOT_INITIALIZED = 9,
    WORM_ERROR_EXPORT_FAILED = 10,
    WORM_ERROR_EXPORT_TOO_MANY_RECORDS = 11
};

/* The only user the register logs in as. */
#define WORM_USER_1 1

typedef struct WormContext WormContext;
typedef struct WormInfo WormInfo;
typedef struct WormTransactionResponse WormTransactionResponse;

/* Receives the tar archive piece by piece; a non-zero result aborts the export. */
typedef int (*WormExportTarCallback)(const unsigned char *chunk, uint32_t chunkLength, void *callbackData);

/* Device */
WORM_API int worm_init(WormContext **context, const char *mountPoint);
WORM_API int worm_cleanup(WormContext *context);
/* Wipes the device: new keys, serial and certificates, counters from zero. */
WORM_API int worm_tse_factoryReset(WormContext *context);
/* Sets the PIN of user 1 and unblocks it. */
WORM_API int worm_tse_setup(WormContext *context, const unsigned char *userPin, int userPinLength);
WORM_API int worm_tse_runSelfTest(WormContext *context, const char *clientId);
/* remainingRetries may be NULL. */
WORM_API int worm_user_login(WormContext *context, int user, const unsigned char *pin, int pinLength,
                             int *remainingRetries);
WORM_API int worm_tse_ers_enable(WormContext *context);
WORM_API int worm_tse_ctss_enable(WormContext *context);
/* Time update; transactions are refused until the first one after worm_init. */
WORM_API int worm_transaction_openStore(WormContext *context, uint32_t unixTime);
/* PEM text of the log message certificate. With certificate NULL only the
   length is reported; the length counts the terminating zero. */
WORM_API int worm_getLogMessageCertificate(WormContext *context, unsigned char *certificate,
                                           uint32_t *certificateLength);

/* Information: a snapshot taken by worm_info_read. Pointers handed out stay
   valid until the next read or worm_info_free. */
WORM_API WormInfo *worm_info_new(WormContext *context);
WORM_API void worm_info_free(WormInfo *info);
WORM_API int worm_info_read(WormInfo *info);
/* Uncompressed point 04||X||Y (97 bytes); 8 before the first worm_info_read. */
WORM_API int worm_info_tsePublicKey(WormInfo *info, const unsigned char **publicKey, uint32_t *publicKeyLength);
/* SHA-256 of the public key (32 bytes). */
WORM_API int worm_info_tseSerialNumber(WormInfo *info, const unsigned char **serialNumber,
                                       uint32_t *serialNumberLength);
WORM_API uint32_t worm_info_remainingSignatures(const WormInfo *info);
WORM_API int worm_info_isErsInterfaceActive(const WormInfo *info);
/* 1 once the device holds its keys and certificates. */
WORM_API int worm_info_initializationState(const WormInfo *info);
WORM_API int worm_info_hasPassedSelfTest(const WormInfo *info);
/* major * 10000 + minor * 100 + patch */
WORM_API uint32_t worm_info_firmwareVersion(const WormInfo *info);
WORM_API const char *worm_info_tseDescription(const WormInfo *info);
/* Bytes. */
WORM_API uint64_t worm_info_capacity(const WormInfo *info);
WORM_API uint64_t worm_info_size(const WormInfo *info);
/* Unix seconds. */
WORM_API uint32_t worm_info_certificateExpirationDate(const WormInfo *info);

/* Transactions */
WORM_API WormTransactionResponse *worm_transaction_response_new(WormContext *context);
WORM_API void worm_transaction_response_free(WormTransactionResponse *response);
WORM_API uint32_t worm_transaction_response_transactionNumber(const WormTransactionResponse *response);
WORM_API uint32_t worm_transaction_response_logTime(const WormTransactionResponse *response);
WORM_API uint32_t worm_transaction_response_signatureCounter(const WormTransactionResponse *response);
/* Plain r||s, 96 bytes; valid while the response lives. */
WORM_API void worm_transaction_response_signature(const WormTransactionResponse *response,
                                                  const unsigned char **signature, uint32_t *signatureLength);

WORM_API int worm_transaction_start(WormContext *context, const char *clientId, const unsigned char *processData,
                                    uint32_t processDataLength, const char *processType,
                                    WormTransactionResponse *response);
WORM_API int worm_transaction_update(WormContext *context, const char *clientId, uint32_t transactionNumber,
                                     const unsigned char *processData, uint32_t processDataLength,
                                     const char *processType, WormTransactionResponse *response);
WORM_API int worm_transaction_finish(WormContext *context, const char *clientId, uint32_t transactionNumber,
                                     const unsigned char *processData, uint32_t processDataLength,
                                     const char *processType, WormTransactionResponse *response);

/* Export */
WORM_API int worm_export_tar(WormContext *context, WormExportTarCallback callback, void *callbackData);
/* Log messages with startDate <= log time <= endDate; with a clientId only
   that client's transaction logs. */
WORM_API int worm_export_tar_filtered_time(WormContext *context, uint32_t startDate, uint32_t endDate,
                                           const char *clientId, WormExportTarCallback callback,
                                           void *callbackData);
/* Log messages of transactions startTransactionNumber..endTransactionNumber. */
WORM_API int worm_export_tar_filtered_transaction(WormContext *context, uint32_t startTransactionNumber,
                                                  uint32_t endTransactionNumber, const char *clientId,
                                                  WormExportTarCallback callback, void *callbackData);
/* Removes the log messages that the last complete worm_export_tar delivered. */
WORM_API int worm_export_deleteStoredData(WormContext *context);

#ifdef __cplusplus
}
#endif

#endif
