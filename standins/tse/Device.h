// The simulated TSE: keys, counters and the log message store of one mount point.
#pragma once

#include "Crypto.h"
#include "Der.h"
#include "worm.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace worm {

enum class Kind : uint8_t { System = 0, Start = 1, Update = 2, Finish = 3 };

struct LogRecord {
    Kind kind = Kind::System;
    uint32_t counter = 0;
    uint32_t logTime = 0;
    uint32_t transaction = 0;
    std::string who; // client id, or the event type of a system log
    der::Bytes message;
};

struct InfoValues {
    uint32_t remainingSignatures = 0;
    int ersActive = 0;
    int initialized = 0;
    int selfTestPassed = 0;
    uint32_t firmwareVersion = 0;
    uint64_t capacity = 0;
    uint64_t size = 0;
    uint32_t expiration = 0;
    der::Bytes publicKey;
    der::Bytes serial;
    std::string description;
};

struct ExportFilter {
    enum Mode { All, Time, Transaction } mode = All;
    uint32_t from = 0;
    uint32_t to = 0;
    std::optional<std::string> client;
};

class Device {
public:
    // Creates the device's files on first use.
    static int open(const std::filesystem::path &mountPoint, std::unique_ptr<Device> &out);
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    const std::filesystem::path &mountPoint() const { return mount_; }

    int factoryReset();
    int setup(const std::string &pin);
    int runSelfTest(const std::string &clientId);
    int login(int user, const std::string &pin, int *remainingRetries);
    int ersEnable();
    int ctssEnable();
    int updateTime(uint32_t unixTime);
    int certificate(std::string &pem) const;
    int info(InfoValues &out) const;
    // number is the transaction to update or finish; ignored for a start.
    int transaction(Kind kind, const char *clientId, uint32_t number, const unsigned char *processData,
                    uint32_t processDataLength, const char *processType, LogRecord &signedLog,
                    der::Bytes &signature);
    int exportTar(const ExportFilter &filter, WormExportTarCallback callback, void *callbackData);
    int deleteStoredData();

private:
    struct State {
        std::string pin = "61738";
        int tries = 3;
        uint32_t counter = 0;
        uint32_t transaction = 0;
        uint32_t exportedUpTo = 0;
        uint32_t lastLogTime = 0;
        std::map<uint32_t, std::string> open; // transaction number -> client id
    };

    explicit Device(std::filesystem::path mountPoint, int lockFd);
    int initialiseFresh();
    int load();
    bool saveState() const;
    bool readStore(std::vector<LogRecord> &records, uintmax_t *validSize) const;
    void reconcile(const std::vector<LogRecord> &records);
    uint32_t now() const;
    uint64_t capacity() const;
    int appendLog(Kind kind, const std::string &who, uint32_t number, const der::Bytes &fields, LogRecord &out);
    der::Bytes signedMessage(Kind kind, const der::Bytes &fields, uint32_t counter, uint32_t logTime,
                             der::Bytes &signature) const;

    std::filesystem::path mount_;
    int lockFd_ = -1;
    KeyMaterial keys_;
    der::Bytes publicKey_;
    der::Bytes serial_;
    State state_;
    uintmax_t storeSize_ = 0;
    uint32_t firstStoredCounter_ = 0; // 0: store empty

    // Session: a real device forgets these when it loses power.
    bool loggedIn_ = false;
    bool selfTestPassed_ = false;
    bool ersActive_ = false;
    bool ctssActive_ = false;
    std::optional<uint32_t> timeBase_;
    std::chrono::steady_clock::time_point timeSetAt_;
};

// File names of the export ("Unixt_..._Sig-..._Log-...").
std::string logFileName(const LogRecord &record);

struct TarMember {
    std::string name;
    der::Bytes content;
    uint32_t mtime = 0;
};
int writeTar(const std::vector<TarMember> &members, WormExportTarCallback callback, void *callbackData);

} // namespace worm
