// The exported C functions: argument checks, failure injection and locking
// around the device. No exception may leave through the C boundary.
#include "worm.h"

#include "Control.h"
#include "Device.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <set>

namespace fs = std::filesystem;
using worm::Device;

struct WormContext {
    std::mutex mutex;
    std::unique_ptr<Device> device;
    std::set<WormInfo *> infos;
};

struct WormInfo {
    WormContext *context = nullptr; // cleared when the context goes first
    bool read = false;
    worm::InfoValues values;
};

struct WormTransactionResponse {
    uint32_t transactionNumber = 0;
    uint32_t logTime = 0;
    uint32_t signatureCounter = 0;
    worm::der::Bytes signature;
};

namespace {

bool present(const fs::path &mountPoint, const worm::Control &control)
{
    return !control.deviceMissing() && fs::exists(mountPoint / "TSE_COMM.DAT");
}

template <class Op> int guarded(Op &&op)
{
    try {
        return op();
    } catch (const std::bad_alloc &) {
        return WORM_ERROR_OUTOFMEM;
    } catch (...) {
        return WORM_ERROR_IO;
    }
}

// Every device call: the device must still be there, and the control file may
// make it fail before the work (or after it, with "after").
template <class Op> int call(WormContext *context, const char *function, Op &&op)
{
    if (!context)
        return WORM_ERROR_INVALID_PARAMETER;
    std::lock_guard lock(context->mutex);
    return guarded([&] {
        Device &device = *context->device;
        worm::Control control(device.mountPoint());
        if (!present(device.mountPoint(), control))
            return static_cast<int>(WORM_ERROR_NO_WORM_CARD);
        const auto injected = control.take(function);
        if (injected && !injected->after)
            return injected->code;
        int rc = op(device);
        if (injected && rc == WORM_ERROR_NOERROR)
            rc = injected->code;
        return rc;
    });
}

int transaction(const char *function, worm::Kind kind, WormContext *context, const char *clientId, uint32_t number,
                const unsigned char *processData, uint32_t processDataLength, const char *processType,
                WormTransactionResponse *response)
{
    if (!response)
        return WORM_ERROR_INVALID_PARAMETER;
    return call(context, function, [&](Device &d) {
        worm::LogRecord log;
        worm::der::Bytes signature;
        const int rc =
            d.transaction(kind, clientId, number, processData, processDataLength, processType, log, signature);
        if (rc == WORM_ERROR_NOERROR) {
            response->transactionNumber = log.transaction;
            response->logTime = log.logTime;
            response->signatureCounter = log.counter;
            response->signature = std::move(signature);
        }
        return rc;
    });
}

int exportTar(const char *function, WormContext *context, const worm::ExportFilter &filter,
              WormExportTarCallback callback, void *callbackData)
{
    return call(context, function, [&](Device &d) { return d.exportTar(filter, callback, callbackData); });
}

int infoBytes(WormInfo *info, const char *function, const worm::der::Bytes worm::InfoValues::*field,
              const unsigned char **bytes, uint32_t *length)
{
    if (!info || !bytes || !length)
        return WORM_ERROR_INVALID_PARAMETER;
    *bytes = nullptr;
    *length = 0;
    auto op = [&] {
        if (!info->read)
            return static_cast<int>(WORM_ERROR_RESPONSE_MISSING);
        const auto &value = info->values.*field;
        *bytes = value.data();
        *length = static_cast<uint32_t>(value.size());
        return static_cast<int>(WORM_ERROR_NOERROR);
    };
    // A snapshot stays readable after its context is gone.
    if (!info->context)
        return op();
    return call(info->context, function, [&](Device &) { return op(); });
}

} // namespace

extern "C" {

int worm_init(WormContext **context, const char *mountPoint)
{
    if (!context || !mountPoint || !*mountPoint)
        return WORM_ERROR_INVALID_PARAMETER;
    *context = nullptr;
    return guarded([&] {
        const fs::path mount(mountPoint);
        worm::Control control(mount);
        if (!present(mount, control))
            return static_cast<int>(WORM_ERROR_NO_WORM_CARD);
        const auto injected = control.take("worm_init");
        if (injected && !injected->after)
            return injected->code;
        auto ctx = std::make_unique<WormContext>();
        int rc = Device::open(mount, ctx->device);
        if (injected && rc == WORM_ERROR_NOERROR)
            rc = injected->code;
        if (rc == WORM_ERROR_NOERROR)
            *context = ctx.release();
        return rc;
    });
}

int worm_cleanup(WormContext *context)
{
    if (!context)
        return WORM_ERROR_INVALID_PARAMETER;
    int rc = WORM_ERROR_NOERROR;
    {
        std::lock_guard lock(context->mutex);
        rc = guarded([&] {
            const auto injected = worm::Control(context->device->mountPoint()).take("worm_cleanup");
            return injected ? injected->code : static_cast<int>(WORM_ERROR_NOERROR);
        });
        for (WormInfo *info : context->infos)
            info->context = nullptr;
    }
    // Cleaning up always frees the context; an injected code is only reported.
    delete context;
    return rc;
}

int worm_tse_factoryReset(WormContext *context)
{
    return call(context, "worm_tse_factoryReset", [](Device &d) { return d.factoryReset(); });
}

int worm_tse_setup(WormContext *context, const unsigned char *userPin, int userPinLength)
{
    if (!userPin || userPinLength <= 0)
        return WORM_ERROR_INVALID_PARAMETER;
    return call(context, "worm_tse_setup", [&](Device &d) {
        return d.setup(std::string(reinterpret_cast<const char *>(userPin), static_cast<size_t>(userPinLength)));
    });
}

int worm_tse_runSelfTest(WormContext *context, const char *clientId)
{
    if (!clientId)
        return WORM_ERROR_INVALID_PARAMETER;
    return call(context, "worm_tse_runSelfTest", [&](Device &d) { return d.runSelfTest(clientId); });
}

int worm_user_login(WormContext *context, int user, const unsigned char *pin, int pinLength, int *remainingRetries)
{
    if (!pin || pinLength <= 0)
        return WORM_ERROR_INVALID_PARAMETER;
    return call(context, "worm_user_login", [&](Device &d) {
        return d.login(user, std::string(reinterpret_cast<const char *>(pin), static_cast<size_t>(pinLength)),
                       remainingRetries);
    });
}

int worm_tse_ers_enable(WormContext *context)
{
    return call(context, "worm_tse_ers_enable", [](Device &d) { return d.ersEnable(); });
}

int worm_tse_ctss_enable(WormContext *context)
{
    return call(context, "worm_tse_ctss_enable", [](Device &d) { return d.ctssEnable(); });
}

int worm_transaction_openStore(WormContext *context, uint32_t unixTime)
{
    return call(context, "worm_transaction_openStore", [&](Device &d) { return d.updateTime(unixTime); });
}

int worm_getLogMessageCertificate(WormContext *context, unsigned char *certificate, uint32_t *certificateLength)
{
    if (!certificateLength)
        return WORM_ERROR_INVALID_PARAMETER;
    return call(context, "worm_getLogMessageCertificate", [&](Device &d) {
        std::string pem;
        int rc = d.certificate(pem);
        if (rc != WORM_ERROR_NOERROR)
            return rc;
        const uint32_t needed = static_cast<uint32_t>(pem.size() + 1);
        const uint32_t given = *certificateLength;
        *certificateLength = needed;
        if (!certificate)
            return static_cast<int>(WORM_ERROR_NOERROR);
        if (given < needed)
            return static_cast<int>(WORM_ERROR_INVALID_PARAMETER);
        std::memcpy(certificate, pem.c_str(), needed);
        return static_cast<int>(WORM_ERROR_NOERROR);
    });
}

WormInfo *worm_info_new(WormContext *context)
{
    if (!context)
        return nullptr;
    auto *info = new (std::nothrow) WormInfo;
    if (!info)
        return nullptr;
    std::lock_guard lock(context->mutex);
    try {
        context->infos.insert(info);
    } catch (...) {
        delete info;
        return nullptr;
    }
    info->context = context;
    return info;
}

void worm_info_free(WormInfo *info)
{
    if (!info)
        return;
    if (info->context) {
        std::lock_guard lock(info->context->mutex);
        info->context->infos.erase(info);
    }
    delete info;
}

int worm_info_read(WormInfo *info)
{
    if (!info)
        return WORM_ERROR_INVALID_PARAMETER;
    if (!info->context)
        return WORM_ERROR_NO_WORM_CARD;
    return call(info->context, "worm_info_read", [&](Device &d) {
        worm::InfoValues values;
        const int rc = d.info(values);
        if (rc == WORM_ERROR_NOERROR) {
            info->values = std::move(values);
            info->read = true;
        }
        return rc;
    });
}

int worm_info_tsePublicKey(WormInfo *info, const unsigned char **publicKey, uint32_t *publicKeyLength)
{
    return infoBytes(info, "worm_info_tsePublicKey", &worm::InfoValues::publicKey, publicKey, publicKeyLength);
}

int worm_info_tseSerialNumber(WormInfo *info, const unsigned char **serialNumber, uint32_t *serialNumberLength)
{
    return infoBytes(info, "worm_info_tseSerialNumber", &worm::InfoValues::serial, serialNumber, serialNumberLength);
}

uint32_t worm_info_remainingSignatures(const WormInfo *info) { return info ? info->values.remainingSignatures : 0; }
int worm_info_isErsInterfaceActive(const WormInfo *info) { return info ? info->values.ersActive : 0; }
int worm_info_initializationState(const WormInfo *info) { return info ? info->values.initialized : 0; }
int worm_info_hasPassedSelfTest(const WormInfo *info) { return info ? info->values.selfTestPassed : 0; }
uint32_t worm_info_firmwareVersion(const WormInfo *info) { return info ? info->values.firmwareVersion : 0; }
const char *worm_info_tseDescription(const WormInfo *info) { return info ? info->values.description.c_str() : ""; }
uint64_t worm_info_capacity(const WormInfo *info) { return info ? info->values.capacity : 0; }
uint64_t worm_info_size(const WormInfo *info) { return info ? info->values.size : 0; }
uint32_t worm_info_certificateExpirationDate(const WormInfo *info) { return info ? info->values.expiration : 0; }

WormTransactionResponse *worm_transaction_response_new(WormContext *context)
{
    return context ? new (std::nothrow) WormTransactionResponse : nullptr;
}

void worm_transaction_response_free(WormTransactionResponse *response) { delete response; }

uint32_t worm_transaction_response_transactionNumber(const WormTransactionResponse *response)
{
    return response ? response->transactionNumber : 0;
}

uint32_t worm_transaction_response_logTime(const WormTransactionResponse *response)
{
    return response ? response->logTime : 0;
}

uint32_t worm_transaction_response_signatureCounter(const WormTransactionResponse *response)
{
    return response ? response->signatureCounter : 0;
}

void worm_transaction_response_signature(const WormTransactionResponse *response, const unsigned char **signature,
                                         uint32_t *signatureLength)
{
    if (signature)
        *signature = response && !response->signature.empty() ? response->signature.data() : nullptr;
    if (signatureLength)
        *signatureLength = response ? static_cast<uint32_t>(response->signature.size()) : 0;
}

int worm_transaction_start(WormContext *context, const char *clientId, const unsigned char *processData,
                           uint32_t processDataLength, const char *processType, WormTransactionResponse *response)
{
    return transaction("worm_transaction_start", worm::Kind::Start, context, clientId, 0, processData,
                       processDataLength, processType, response);
}

int worm_transaction_update(WormContext *context, const char *clientId, uint32_t transactionNumber,
                            const unsigned char *processData, uint32_t processDataLength, const char *processType,
                            WormTransactionResponse *response)
{
    return transaction("worm_transaction_update", worm::Kind::Update, context, clientId, transactionNumber,
                       processData, processDataLength, processType, response);
}

int worm_transaction_finish(WormContext *context, const char *clientId, uint32_t transactionNumber,
                            const unsigned char *processData, uint32_t processDataLength, const char *processType,
                            WormTransactionResponse *response)
{
    return transaction("worm_transaction_finish", worm::Kind::Finish, context, clientId, transactionNumber,
                       processData, processDataLength, processType, response);
}

int worm_export_tar(WormContext *context, WormExportTarCallback callback, void *callbackData)
{
    return exportTar("worm_export_tar", context, {}, callback, callbackData);
}

int worm_export_tar_filtered_time(WormContext *context, uint32_t startDate, uint32_t endDate, const char *clientId,
                                  WormExportTarCallback callback, void *callbackData)
{
    worm::ExportFilter filter{worm::ExportFilter::Time, startDate, endDate, {}};
    if (clientId)
        filter.client = clientId;
    return exportTar("worm_export_tar_filtered_time", context, filter, callback, callbackData);
}

int worm_export_tar_filtered_transaction(WormContext *context, uint32_t startTransactionNumber,
                                         uint32_t endTransactionNumber, const char *clientId,
                                         WormExportTarCallback callback, void *callbackData)
{
    worm::ExportFilter filter{worm::ExportFilter::Transaction, startTransactionNumber, endTransactionNumber, {}};
    if (clientId)
        filter.client = clientId;
    return exportTar("worm_export_tar_filtered_transaction", context, filter, callback, callbackData);
}

int worm_export_deleteStoredData(WormContext *context)
{
    return call(context, "worm_export_deleteStoredData", [](Device &d) { return d.deleteStoredData(); });
}

} // extern "C"
