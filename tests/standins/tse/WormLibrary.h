// Loads the built libWormAPI.so and looks its functions up by name, as the register does.
#pragma once

#include "worm.h"

#include <dlfcn.h>
#include <string>

struct WormLibrary {
#define WORM_FUNCTIONS(X)                                                                                              \
    X(worm_init) X(worm_cleanup) X(worm_tse_factoryReset) X(worm_tse_setup) X(worm_tse_runSelfTest)                  \
    X(worm_user_login) X(worm_tse_ers_enable) X(worm_tse_ctss_enable) X(worm_info_new) X(worm_info_read)            \
    X(worm_transaction_openStore) X(worm_getLogMessageCertificate) X(worm_info_tsePublicKey)                         \
    X(worm_info_tseSerialNumber) X(worm_info_remainingSignatures) X(worm_info_isErsInterfaceActive)                  \
    X(worm_info_initializationState) X(worm_info_hasPassedSelfTest) X(worm_info_firmwareVersion)                     \
    X(worm_info_tseDescription) X(worm_info_capacity) X(worm_info_size) X(worm_transaction_start)                    \
    X(worm_transaction_finish) X(worm_export_tar_filtered_time) X(worm_export_tar_filtered_transaction)              \
    X(worm_export_tar) X(worm_transaction_update) X(worm_info_certificateExpirationDate)                             \
    X(worm_export_deleteStoredData) X(worm_transaction_response_new) X(worm_transaction_response_free)               \
    X(worm_transaction_response_transactionNumber) X(worm_transaction_response_logTime)                              \
    X(worm_transaction_response_signatureCounter) X(worm_transaction_response_signature) X(worm_info_free)

#define WORM_MEMBER(name) decltype(&::name) name = nullptr;
    WORM_FUNCTIONS(WORM_MEMBER)
#undef WORM_MEMBER

    static std::string path() { return ORVENPOS_BIN_DIR "/libWormAPI.so"; }

    void *handle = nullptr;
    std::string missing; // names that did not resolve

    bool load()
    {
        handle = dlopen(path().c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return false;
#define WORM_RESOLVE(name)                                                                                             \
    name = reinterpret_cast<decltype(name)>(dlsym(handle, #name));                                                   \
    if (!name)                                                                                                         \
        missing += std::string(missing.empty() ? "" : " ") + #name;
        WORM_FUNCTIONS(WORM_RESOLVE)
#undef WORM_RESOLVE
        return missing.empty();
    }

    void unload()
    {
        if (handle)
            dlclose(handle);
        *this = WormLibrary{};
    }
};
