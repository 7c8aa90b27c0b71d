// What an auditor's tool does with a TSE's output, written against OpenSSL
// directly so that it shares nothing with the library under test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <openssl/evp.h>

namespace tsecheck {

using Bytes = std::vector<unsigned char>;

struct LogMessage {
    int version = 0;
    std::string type;           // OID in dotted form
    std::map<int, Bytes> tagged; // context-specific fields [n] -> content
    Bytes serial;
    std::string algorithm;      // OID in dotted form
    uint64_t counter = 0;
    uint64_t logTime = 0;
    Bytes signature;
    Bytes signedData;           // elements 1 to 7, as encoded

    std::string text(int tag) const { auto it = tagged.find(tag); return it == tagged.end() ? "" : std::string(it->second.begin(), it->second.end()); }
    std::optional<uint64_t> taggedInteger(int tag) const;
};

inline constexpr const char *kTransactionLog = "0.4.0.127.0.7.3.7.1.1";
inline constexpr const char *kSystemLog = "0.4.0.127.0.7.3.7.1.2";
inline constexpr const char *kPlainSha384 = "0.4.0.127.0.7.1.1.4.1.4";

std::string hexUpper(const Bytes &bytes);
Bytes sha256(const Bytes &data);
Bytes readBytes(const std::filesystem::path &file);

// Parses a DER log message; nullopt when it is not one.
std::optional<LogMessage> parseLogMessage(const Bytes &der);

// Public key from the uncompressed brainpoolP384r1 point the device reports.
EVP_PKEY *publicKeyFromPoint(const Bytes &point);
// 04||X||Y of a certificate's key.
Bytes certificatePoint(const Bytes &certDer);
bool verifyPlainSha384(EVP_PKEY *key, const Bytes &data, const Bytes &plainSignature);

struct FinishValues {
    std::string clientId;
    Bytes processData;
    std::string processType;
    uint64_t transactionNumber = 0;
    Bytes serial;
    uint64_t signatureCounter = 0;
    uint64_t logTime = 0;
};
// Elements 1 to 7 of a finish log message, encoded by OpenSSL's ASN.1 generator.
Bytes finishSignedData(const FinishValues &v);

struct ExportedLog {
    std::string fileName;
    LogMessage message;
};

struct ExportReport {
    std::vector<std::string> problems; // empty: everything an auditor checks holds
    std::vector<ExportedLog> logs;     // ordered by signature counter
    std::string infoCsv;
};

// Checks an extracted tar export: info.csv, certificate names and chain,
// every message's signature and serial, names against contents, counters
// without gaps and log times never going back.
ExportReport checkExport(const std::filesystem::path &folder, const Bytes &publicKey, const Bytes &serial);

} // namespace tsecheck
