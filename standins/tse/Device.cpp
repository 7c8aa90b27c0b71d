#include "Device.h"

#include "Control.h"
#include "Files.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

#include <openssl/crypto.h>

namespace fs = std::filesystem;

namespace worm {

namespace {

constexpr const char *kMarkerFile = "TSE_COMM.DAT";
constexpr const char *kStateFile = "TSE_STATE.DAT";
constexpr const char *kKeysFile = "TSE_KEYS.PEM";
constexpr const char *kStoreFile = "TSE_LOG.DAT";

constexpr const char *kTransactionLogOid = "0.4.0.127.0.7.3.7.1.1";
constexpr const char *kSystemLogOid = "0.4.0.127.0.7.3.7.1.2";
constexpr const char *kAlgorithmOid = "0.4.0.127.0.7.1.1.4.1.4"; // ecdsa-plain-SHA384

constexpr int kMaxTries = 3;
constexpr unsigned kValidityDays = 5 * 365;
constexpr uint32_t kSignatureLimit = 20'000'000;
constexpr uint64_t kDefaultCapacity = 512ull << 20;
constexpr uint32_t kFirmwareVersion = 10000; // 1.0.0
constexpr const char *kFirmwareText = "1.0.0";
constexpr const char *kDescription = "ORVEN-POS TSE (file-backed)";
constexpr const char *kManufacturer = "ORVEN-POS";
constexpr size_t kMaxClientId = 30;
constexpr size_t kMaxProcessType = 100;
constexpr uint32_t kMaxProcessData = 1u << 20;

// Store record: magic, length of the rest, kind, counter, log time,
// transaction number, who (length-prefixed), then the DER log message.
constexpr unsigned char kRecordMagic = 0xA5;
constexpr size_t kRecordHeader = 1 + 4 + 1 + 4 + 4 + 4 + 1;

void putU32(std::string &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xff);
}

uint32_t getU32(const unsigned char *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

std::string encodeRecord(const LogRecord &r)
{
    std::string rest;
    rest += static_cast<char>(r.kind);
    putU32(rest, r.counter);
    putU32(rest, r.logTime);
    putU32(rest, r.transaction);
    rest += static_cast<char>(r.who.size());
    rest += r.who;
    rest.append(reinterpret_cast<const char *>(r.message.data()), r.message.size());
    std::string out(1, static_cast<char>(kRecordMagic));
    putU32(out, static_cast<uint32_t>(rest.size()));
    return out + rest;
}

// Length of a DER element starting at p, or 0 when it does not fit in size.
size_t derElementSize(const unsigned char *p, size_t size)
{
    if (size < 2)
        return 0;
    size_t len = p[1], header = 2;
    if (len & 0x80) {
        const size_t n = len & 0x7f;
        if (n == 0 || n > 4 || size < 2 + n)
            return 0;
        len = 0;
        for (size_t i = 0; i < n; ++i)
            len = len << 8 | p[2 + i];
        header += n;
    }
    return header + len <= size ? header + len : 0;
}

bool isPrintable(const char *s, size_t maxLength)
{
    if (!s)
        return false;
    const size_t n = std::strlen(s);
    if (n == 0 || n > maxLength)
        return false;
    return std::all_of(s, s + n, [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::strchr(" '()+,-./:=?", c) != nullptr;
    });
}

const char *operationName(Kind kind)
{
    switch (kind) {
    case Kind::Start: return "Start";
    case Kind::Update: return "Update";
    case Kind::Finish: return "Finish";
    case Kind::System: break;
    }
    return "";
}

} // namespace

std::string logFileName(const LogRecord &r)
{
    std::string name = "Unixt_" + std::to_string(r.logTime) + "_Sig-" + std::to_string(r.counter);
    if (r.kind == Kind::System)
        return name + "_Log-Sys_" + r.who;
    return name + "_Log-Tra_No-" + std::to_string(r.transaction) + "_" + operationName(r.kind) + "_Client-" + r.who;
}

Device::Device(fs::path mountPoint, int lockFd) : mount_(std::move(mountPoint)), lockFd_(lockFd) {}

Device::~Device()
{
    if (lockFd_ >= 0)
        ::close(lockFd_); // releases the lock
}

int Device::open(const fs::path &mountPoint, std::unique_ptr<Device> &out)
{
    const auto marker = mountPoint / kMarkerFile;
    int fd = ::open(marker.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return WORM_ERROR_NO_WORM_CARD;
    // One user at a time, as with a real device.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return WORM_ERROR_TIMEOUT;
    }
    std::unique_ptr<Device> dev(new Device(mountPoint, fd));
    const int rc = fs::exists(mountPoint / kStateFile) ? dev->load() : dev->initialiseFresh();
    if (rc == WORM_ERROR_NOERROR)
        out = std::move(dev);
    return rc;
}

int Device::initialiseFresh()
{
    KeyMaterial km;
    if (!generateKeyMaterial(km, kValidityDays))
        return WORM_ERROR_IO;
    const std::string pem = keyMaterialToPem(km);
    if (pem.empty() || !writeFileAtomically(mount_ / kKeysFile, pem) || !writeFileAtomically(mount_ / kStoreFile, ""))
        return WORM_ERROR_IO;
    keys_ = std::move(km);
    publicKey_ = uncompressedPoint(keys_.tseKey.get());
    serial_ = sha256(publicKey_.data(), publicKey_.size());
    state_ = State{};
    storeSize_ = 0;
    firstStoredCounter_ = 0;
    der::Bytes fields = der::text(der::context(0), "initialize");
    der::append(fields, der::tlv(der::context(1), der::text(der::PrintableString, kDescription)));
    LogRecord rec;
    int rc = appendLog(Kind::System, "initialize", 0, fields, rec);
    if (rc != WORM_ERROR_NOERROR)
        return rc;
    // The state file appears last: without it the next start initialises again.
    return saveState() ? WORM_ERROR_NOERROR : WORM_ERROR_IO;
}

int Device::load()
{
    std::string text, pem;
    if (!readFile(mount_ / kStateFile, text) || !readFile(mount_ / kKeysFile, pem) || !keyMaterialFromPem(pem, keys_))
        return WORM_ERROR_IO;
    publicKey_ = uncompressedPoint(keys_.tseKey.get());
    if (publicKey_.empty())
        return WORM_ERROR_IO;
    serial_ = sha256(publicKey_.data(), publicKey_.size());

    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        try {
            if (key == "pin")
                state_.pin = value;
            else if (key == "tries")
                state_.tries = std::stoi(value);
            else if (key == "signatureCounter")
                state_.counter = static_cast<uint32_t>(std::stoul(value));
            else if (key == "transactionNumber")
                state_.transaction = static_cast<uint32_t>(std::stoul(value));
            else if (key == "exportedUpTo")
                state_.exportedUpTo = static_cast<uint32_t>(std::stoul(value));
            else if (key == "lastLogTime")
                state_.lastLogTime = static_cast<uint32_t>(std::stoul(value));
            else if (key == "open") {
                const auto space = value.find(' ');
                state_.open[static_cast<uint32_t>(std::stoul(value.substr(0, space)))] =
                    space == std::string::npos ? std::string() : value.substr(space + 1);
            }
        } catch (const std::exception &) {
            return WORM_ERROR_IO;
        }
    }

    std::vector<LogRecord> records;
    uintmax_t validSize = 0;
    if (!readStore(records, &validSize))
        return WORM_ERROR_IO;
    // A crash while appending leaves a torn record at the end; drop it.
    if (fs::file_size(mount_ / kStoreFile) != validSize && !truncateFile(mount_ / kStoreFile, validSize))
        return WORM_ERROR_IO;
    storeSize_ = validSize;
    firstStoredCounter_ = records.empty() ? 0 : records.front().counter;
    reconcile(records);
    return WORM_ERROR_NOERROR;
}

// Messages are stored before the state file is written; a crash in between
// leaves messages the state does not know yet, so replay them.
void Device::reconcile(const std::vector<LogRecord> &records)
{
    bool changed = false;
    for (const auto &r : records) {
        if (r.counter <= state_.counter)
            continue;
        changed = true;
        state_.counter = r.counter;
        state_.lastLogTime = std::max(state_.lastLogTime, r.logTime);
        if (r.kind == Kind::Start) {
            state_.transaction = std::max(state_.transaction, r.transaction);
            state_.open[r.transaction] = r.who;
        } else if (r.kind == Kind::Finish) {
            state_.open.erase(r.transaction);
        }
    }
    if (changed)
        saveState();
}

bool Device::saveState() const
{
    std::string text = "version=1\n";
    text += "pin=" + state_.pin + "\n";
    text += "tries=" + std::to_string(state_.tries) + "\n";
    text += "signatureCounter=" + std::to_string(state_.counter) + "\n";
    text += "transactionNumber=" + std::to_string(state_.transaction) + "\n";
    text += "exportedUpTo=" + std::to_string(state_.exportedUpTo) + "\n";
    text += "lastLogTime=" + std::to_string(state_.lastLogTime) + "\n";
    for (const auto &[number, client] : state_.open)
        text += "open=" + std::to_string(number) + " " + client + "\n";
    return writeFileAtomically(mount_ / kStateFile, text);
}

bool Device::readStore(std::vector<LogRecord> &records, uintmax_t *validSize) const
{
    std::string raw;
    if (!readFile(mount_ / kStoreFile, raw))
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(raw.data());
    size_t pos = 0;
    while (raw.size() - pos >= 5 && p[pos] == kRecordMagic) {
        const size_t restSize = getU32(p + pos + 1);
        if (restSize < kRecordHeader - 5 || raw.size() - pos - 5 < restSize)
            break;
        const unsigned char *rest = p + pos + 5;
        LogRecord r;
        r.kind = static_cast<Kind>(rest[0]);
        r.counter = getU32(rest + 1);
        r.logTime = getU32(rest + 5);
        r.transaction = getU32(rest + 9);
        const size_t whoSize = rest[13];
        const size_t fixed = kRecordHeader - 5 + whoSize;
        if (restSize <= fixed || rest[fixed] != der::Sequence ||
            derElementSize(rest + fixed, restSize - fixed) != restSize - fixed)
            break;
        r.who.assign(reinterpret_cast<const char *>(rest + 14), whoSize);
        r.message.assign(rest + fixed, rest + restSize);
        records.push_back(std::move(r));
        pos += 5 + restSize;
    }
    if (validSize)
        *validSize = pos;
    return true;
}

uint32_t Device::now() const
{
    uint32_t t;
    if (timeBase_) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - timeSetAt_).count();
        t = *timeBase_ + static_cast<uint32_t>(elapsed);
    } else {
        t = static_cast<uint32_t>(std::time(nullptr));
    }
    // Log times never go back, even when the time is set back.
    return std::max(t, state_.lastLogTime);
}

uint64_t Device::capacity() const { return Control(mount_).capacity().value_or(kDefaultCapacity); }

der::Bytes Device::signedMessage(Kind kind, const der::Bytes &fields, uint32_t counter, uint32_t logTime,
                                 der::Bytes &signature) const
{
    der::Bytes tbs = der::integer(2);
    der::append(tbs, der::oid(kind == Kind::System ? kSystemLogOid : kTransactionLogOid));
    der::append(tbs, fields);
    der::append(tbs, der::tlv(der::OctetString, serial_));
    der::append(tbs, der::tlv(der::Sequence, der::oid(kAlgorithmOid)));
    der::append(tbs, der::integer(counter));
    der::append(tbs, der::integer(logTime));
    if (!signPlain(keys_.tseKey.get(), tbs, signature))
        return {};
    der::append(tbs, der::tlv(der::OctetString, signature));
    return der::tlv(der::Sequence, tbs);
}

int Device::appendLog(Kind kind, const std::string &who, uint32_t number, const der::Bytes &fields, LogRecord &out)
{
    if (state_.counter >= kSignatureLimit)
        return WORM_ERROR_STORE_FULL;
    der::Bytes signature;
    LogRecord r;
    r.kind = kind;
    r.counter = state_.counter + 1;
    r.logTime = now();
    r.transaction = number;
    r.who = who;
    r.message = signedMessage(kind, fields, r.counter, r.logTime, signature);
    if (r.message.empty())
        return WORM_ERROR_IO;
    const std::string bytes = encodeRecord(r);
    // Room for system logs is kept back, so a full device can still start up and be emptied.
    if (kind != Kind::System && storeSize_ + bytes.size() > capacity())
        return WORM_ERROR_STORE_FULL;
    if (!appendDurably(mount_ / kStoreFile, bytes)) {
        truncateFile(mount_ / kStoreFile, storeSize_);
        return WORM_ERROR_IO;
    }
    storeSize_ += bytes.size();
    if (firstStoredCounter_ == 0)
        firstStoredCounter_ = r.counter;
    state_.counter = r.counter;
    state_.lastLogTime = r.logTime;
    out = std::move(r);
    return WORM_ERROR_NOERROR;
}

int Device::factoryReset()
{
    if (!loggedIn_)
        return WORM_ERROR_INVALID_PARAMETER;
    std::error_code ec;
    fs::remove(mount_ / kStateFile, ec);
    if (ec)
        return WORM_ERROR_IO;
    loggedIn_ = selfTestPassed_ = ersActive_ = ctssActive_ = false;
    timeBase_.reset();
    return initialiseFresh();
}

int Device::setup(const std::string &pin)
{
    if (pin.empty() || pin.size() > 64)
        return WORM_ERROR_INVALID_PARAMETER;
    State next = state_;
    next.pin = pin;
    next.tries = kMaxTries;
    std::swap(state_, next);
    if (!saveState()) {
        std::swap(state_, next);
        return WORM_ERROR_IO;
    }
    loggedIn_ = false;
    return WORM_ERROR_NOERROR;
}

int Device::runSelfTest(const std::string &clientId)
{
    if (!isPrintable(clientId.c_str(), kMaxClientId))
        return WORM_ERROR_INVALID_PARAMETER;
    selfTestPassed_ = false;
    const der::Bytes probe = der::text(der::PrintableString, "selfTest " + clientId);
    der::Bytes signature;
    EVP_PKEY *caPublic = X509_get0_pubkey(keys_.caCert.get());
    if (X509_check_private_key(keys_.tseCert.get(), keys_.tseKey.get()) != 1 || !caPublic ||
        X509_verify(keys_.tseCert.get(), caPublic) != 1 || !signPlain(keys_.tseKey.get(), probe, signature) ||
        !verifyPlain(X509_get0_pubkey(keys_.tseCert.get()), probe, signature))
        return WORM_ERROR_IO;
    der::Bytes fields = der::text(der::context(0), "selfTest");
    der::append(fields, der::tlv(der::context(1), der::text(der::PrintableString, clientId)));
    LogRecord rec;
    int rc = appendLog(Kind::System, "selfTest", 0, fields, rec);
    if (rc != WORM_ERROR_NOERROR)
        return rc;
    if (!saveState())
        return WORM_ERROR_IO;
    selfTestPassed_ = true;
    return WORM_ERROR_NOERROR;
}

int Device::login(int user, const std::string &pin, int *remainingRetries)
{
    if (user != WORM_USER_1 || pin.empty())
        return WORM_ERROR_INVALID_PARAMETER;
    if (state_.tries <= 0) {
        if (remainingRetries)
            *remainingRetries = 0;
        return WORM_ERROR_INVALID_PARAMETER;
    }
    const bool match =
        pin.size() == state_.pin.size() && CRYPTO_memcmp(pin.data(), state_.pin.data(), pin.size()) == 0;
    const int before = state_.tries;
    state_.tries = match ? kMaxTries : state_.tries - 1;
    if (state_.tries != before && !saveState()) {
        state_.tries = before;
        return WORM_ERROR_IO;
    }
    if (remainingRetries)
        *remainingRetries = state_.tries;
    loggedIn_ = match;
    return match ? WORM_ERROR_NOERROR : WORM_ERROR_INVALID_PARAMETER;
}

int Device::ersEnable()
{
    ersActive_ = true;
    return WORM_ERROR_NOERROR;
}

int Device::ctssEnable()
{
    ctssActive_ = true;
    return WORM_ERROR_NOERROR;
}

int Device::updateTime(uint32_t unixTime)
{
    if (!loggedIn_)
        return WORM_ERROR_INVALID_PARAMETER;
    const auto previousBase = timeBase_;
    const auto previousAt = timeSetAt_;
    timeBase_ = unixTime;
    timeSetAt_ = std::chrono::steady_clock::now();
    der::Bytes fields = der::text(der::context(0), "updateTime");
    der::append(fields, der::tlv(der::context(1), der::integer(unixTime)));
    LogRecord rec;
    int rc = appendLog(Kind::System, "updateTime", 0, fields, rec);
    if (rc == WORM_ERROR_NOERROR && !saveState())
        rc = WORM_ERROR_IO;
    if (rc != WORM_ERROR_NOERROR) {
        timeBase_ = previousBase;
        timeSetAt_ = previousAt;
    }
    return rc;
}

int Device::certificate(std::string &pem) const
{
    pem = certificatePem(keys_.tseCert.get());
    return pem.empty() ? WORM_ERROR_IO : WORM_ERROR_NOERROR;
}

int Device::info(InfoValues &out) const
{
    out.remainingSignatures = kSignatureLimit - std::min(state_.counter, kSignatureLimit);
    out.ersActive = ersActive_ ? 1 : 0;
    out.initialized = 1;
    out.selfTestPassed = selfTestPassed_ ? 1 : 0;
    out.firmwareVersion = kFirmwareVersion;
    out.capacity = capacity();
    out.size = storeSize_;
    out.expiration = Control(mount_).expiration().value_or(certificateExpiry(keys_.tseCert.get()));
    out.publicKey = publicKey_;
    out.serial = serial_;
    out.description = kDescription;
    return WORM_ERROR_NOERROR;
}

int Device::transaction(Kind kind, const char *clientId, uint32_t number, const unsigned char *processData,
                        uint32_t processDataLength, const char *processType, LogRecord &signedLog,
                        der::Bytes &signature)
{
    if (!loggedIn_ || !selfTestPassed_ || !timeBase_)
        return WORM_ERROR_INVALID_PARAMETER;
    if (!isPrintable(clientId, kMaxClientId) || !isPrintable(processType, kMaxProcessType) ||
        (processData == nullptr && processDataLength != 0) || processDataLength > kMaxProcessData)
        return WORM_ERROR_INVALID_PARAMETER;
    if (kind == Kind::Start) {
        number = state_.transaction + 1;
    } else {
        const auto open = state_.open.find(number);
        if (open == state_.open.end() || open->second != clientId)
            return WORM_ERROR_INVALID_PARAMETER;
    }
    const std::string operation = std::string(operationName(kind)) + "Transaction";
    der::Bytes fields = der::text(der::context(0), operation);
    der::append(fields, der::text(der::context(1), clientId));
    der::append(fields, der::tlv(der::context(2), processData, processDataLength));
    der::append(fields, der::text(der::context(3), processType));
    der::append(fields, der::integer(number, der::context(5)));

    int rc = appendLog(kind, clientId, number, fields, signedLog);
    if (rc != WORM_ERROR_NOERROR)
        return rc;
    if (kind == Kind::Start) {
        state_.transaction = number;
        state_.open[number] = clientId;
    } else if (kind == Kind::Finish) {
        state_.open.erase(number);
    }
    // On failure the message is still stored; the next start replays it from the store.
    if (!saveState())
        return WORM_ERROR_IO;
    // The signature is the last element of the message.
    signature.assign(signedLog.message.end() - 2 * kCoordinateSize, signedLog.message.end());
    return WORM_ERROR_NOERROR;
}

int Device::exportTar(const ExportFilter &filter, WormExportTarCallback callback, void *callbackData)
{
    if (!callback || (filter.mode != ExportFilter::All && filter.from > filter.to))
        return WORM_ERROR_INVALID_PARAMETER;
    std::vector<LogRecord> records;
    if (!readStore(records, nullptr))
        return WORM_ERROR_IO;

    const uint32_t exportTime = static_cast<uint32_t>(std::time(nullptr));
    std::vector<TarMember> members;
    const std::string infoLine = std::string("\"description:\",\"") + kDescription + "\",\"manufacturer:\",\"" +
                                 kManufacturer + "\",\"version:\",\"" + kFirmwareText + "\"\n";
    members.push_back({"info.csv", der::Bytes(infoLine.begin(), infoLine.end()), exportTime});
    for (X509 *cert : {keys_.tseCert.get(), keys_.caCert.get()}) {
        const auto point = uncompressedPoint(X509_get0_pubkey(cert));
        members.push_back({upperHex(sha256(point.data(), point.size())) + "_X509.der", certificateDer(cert), exportTime});
    }

    std::set<std::string> names;
    uint32_t lastExported = 0;
    for (auto &r : records) {
        const bool isTransaction = r.kind != Kind::System;
        bool wanted = true;
        if (filter.mode == ExportFilter::Time)
            wanted = r.logTime >= filter.from && r.logTime <= filter.to;
        else if (filter.mode == ExportFilter::Transaction)
            wanted = isTransaction && r.transaction >= filter.from && r.transaction <= filter.to;
        if (filter.client && filter.mode != ExportFilter::All)
            wanted = wanted && isTransaction && r.who == *filter.client;
        if (!wanted)
            continue;
        const std::string base = logFileName(r);
        std::string name = base + ".log";
        for (int n = 1; !names.insert(name).second; ++n)
            name = base + "_Fc-" + std::to_string(n) + ".log";
        members.push_back({name, std::move(r.message), r.logTime});
        lastExported = r.counter;
    }

    const int rc = writeTar(members, callback, callbackData);
    if (rc == WORM_ERROR_NOERROR && filter.mode == ExportFilter::All && lastExported > state_.exportedUpTo) {
        const uint32_t before = state_.exportedUpTo;
        state_.exportedUpTo = lastExported;
        if (!saveState()) {
            state_.exportedUpTo = before;
            return WORM_ERROR_IO;
        }
    }
    return rc;
}

int Device::deleteStoredData()
{
    if (!loggedIn_)
        return WORM_ERROR_INVALID_PARAMETER;
    if (firstStoredCounter_ == 0)
        return WORM_ERROR_NOERROR;
    // Only what a complete export has delivered may go.
    if (state_.exportedUpTo < firstStoredCounter_)
        return WORM_ERROR_EXPORT_NOT_INITIALIZED;
    std::vector<LogRecord> records;
    if (!readStore(records, nullptr))
        return WORM_ERROR_IO;
    std::string kept;
    uint32_t first = 0;
    for (const auto &r : records) {
        if (r.counter <= state_.exportedUpTo)
            continue;
        if (first == 0)
            first = r.counter;
        kept += encodeRecord(r);
    }
    if (!writeFileAtomically(mount_ / kStoreFile, kept))
        return WORM_ERROR_IO;
    storeSize_ = kept.size();
    firstStoredCounter_ = first;
    return WORM_ERROR_NOERROR;
}

} // namespace worm
