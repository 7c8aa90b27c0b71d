// libWormAPI.so as the register uses it: loaded with dlopen, called by name,
// one device folder per test. Its output is checked with OpenSSL the way an
// auditor's tool would check a real TSE's.
#include "TseChecks.h"
#include "WormLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <set>

#include <openssl/pem.h>
#include <openssl/x509.h>

namespace fs = std::filesystem;
using tsecheck::Bytes;

namespace {

constexpr const char *kClient = "KASSE1";
constexpr const char *kPin = "61738"; // a new device's PIN
constexpr const char *kReceipt = "Kassenbeleg-V1";
constexpr const char *kSale = "Beleg^2.55_0.00_0.00_0.00_0.00^2.55:Bar";

uint32_t now() { return static_cast<uint32_t>(std::time(nullptr)); }

const unsigned char *bytes(const std::string &s) { return reinterpret_cast<const unsigned char *>(s.data()); }

std::string run(const std::string &command)
{
    std::string out;
    if (FILE *p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        if (pclose(p) != 0)
            out = "FAILED: " + command;
    }
    return out;
}

struct Tx {
    int rc = -1;
    uint32_t number = 0;
    uint32_t logTime = 0;
    uint32_t counter = 0;
    Bytes signature;
};

struct Export {
    int rc = -1;
    Bytes tar;
    size_t chunks = 0;
};

int collect(const unsigned char *chunk, uint32_t length, void *data)
{
    auto *e = static_cast<Export *>(data);
    e->tar.insert(e->tar.end(), chunk, chunk + length);
    ++e->chunks;
    return 0;
}

class WormDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/wormapi-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        mount = root / "tse";
        fs::create_directory(mount);
        std::ofstream(mount / "TSE_COMM.DAT") << "";
        ASSERT_TRUE(lib.load()) << WormLibrary::path() << ": " << (lib.handle ? lib.missing : dlerror());
    }

    void TearDown() override
    {
        close();
        lib.unload();
        fs::remove_all(root);
    }

    int open() { return lib.worm_init(&ctx, mount.c_str()); }

    void close()
    {
        if (ctx)
            lib.worm_cleanup(ctx);
        ctx = nullptr;
        // Info snapshots may outlive their context.
        for (WormInfo *info : infos)
            lib.worm_info_free(info);
        infos.clear();
    }

    // Process restart: the library is unloaded and loaded again.
    void reload()
    {
        close();
        lib.unload();
        ASSERT_TRUE(lib.load());
        ASSERT_EQ(open(), WORM_ERROR_NOERROR);
    }

    int login(const std::string &pin, int *remaining = nullptr, int user = WORM_USER_1)
    {
        return lib.worm_user_login(ctx, user, bytes(pin), static_cast<int>(pin.size()), remaining);
    }

    // The register's start-up order.
    void startUp()
    {
        if (!ctx) {
            ASSERT_EQ(open(), WORM_ERROR_NOERROR);
        }
        ASSERT_EQ(lib.worm_tse_runSelfTest(ctx, kClient), WORM_ERROR_NOERROR);
        int remaining = -1;
        ASSERT_EQ(login(kPin, &remaining), WORM_ERROR_NOERROR);
        ASSERT_EQ(lib.worm_tse_ers_enable(ctx), WORM_ERROR_NOERROR);
        ASSERT_EQ(lib.worm_transaction_openStore(ctx, now()), WORM_ERROR_NOERROR);
        ASSERT_EQ(lib.worm_tse_ctss_enable(ctx), WORM_ERROR_NOERROR);
    }

    Tx result(int rc, WormTransactionResponse *r)
    {
        Tx t;
        t.rc = rc;
        t.number = lib.worm_transaction_response_transactionNumber(r);
        t.logTime = lib.worm_transaction_response_logTime(r);
        t.counter = lib.worm_transaction_response_signatureCounter(r);
        const unsigned char *sig = nullptr;
        uint32_t len = 0;
        lib.worm_transaction_response_signature(r, &sig, &len);
        if (sig)
            t.signature.assign(sig, sig + len);
        lib.worm_transaction_response_free(r);
        return t;
    }

    Tx start(const std::string &data = "", const char *client = kClient)
    {
        auto *r = lib.worm_transaction_response_new(ctx);
        return result(lib.worm_transaction_start(ctx, client, bytes(data), data.size(), kReceipt, r), r);
    }

    Tx finish(uint32_t number, const std::string &data = kSale, const char *client = kClient)
    {
        auto *r = lib.worm_transaction_response_new(ctx);
        return result(lib.worm_transaction_finish(ctx, client, number, bytes(data), data.size(), kReceipt, r), r);
    }

    // A sale as the register runs it: start, then finish.
    std::pair<Tx, Tx> sale()
    {
        Tx s = start();
        EXPECT_EQ(s.rc, WORM_ERROR_NOERROR);
        return {s, finish(s.number)};
    }

    WormInfo *readInfo()
    {
        WormInfo *info = lib.worm_info_new(ctx);
        EXPECT_EQ(lib.worm_info_read(info), WORM_ERROR_NOERROR);
        infos.push_back(info);
        return info;
    }

    Bytes infoBytes(decltype(&worm_info_tsePublicKey) getter)
    {
        const unsigned char *p = nullptr;
        uint32_t len = 0;
        EXPECT_EQ(getter(readInfo(), &p, &len), WORM_ERROR_NOERROR);
        return p ? Bytes(p, p + len) : Bytes();
    }
    Bytes publicKey() { return infoBytes(lib.worm_info_tsePublicKey); }
    Bytes serial() { return infoBytes(lib.worm_info_tseSerialNumber); }

    Export exportTar()
    {
        Export e;
        e.rc = lib.worm_export_tar(ctx, collect, &e);
        return e;
    }

    // Writes the archive, checks that tar lists exactly what it extracts,
    // and returns the folder it was extracted to.
    fs::path extract(const Export &e)
    {
        const fs::path tar = root / ("export" + std::to_string(++exports) + ".tar");
        const fs::path folder = root / ("export" + std::to_string(exports));
        std::ofstream(tar, std::ios::binary).write(reinterpret_cast<const char *>(e.tar.data()),
                                                   static_cast<std::streamsize>(e.tar.size()));
        fs::create_directory(folder);
        std::set<std::string> listed, extracted;
        const std::string list = run("tar -tf '" + tar.string() + "'");
        for (size_t pos = 0, nl; (nl = list.find('\n', pos)) != std::string::npos; pos = nl + 1)
            listed.insert(list.substr(pos, nl - pos));
        EXPECT_EQ(run("tar -xf '" + tar.string() + "' -C '" + folder.string() + "'"), "");
        for (const auto &entry : fs::directory_iterator(folder))
            extracted.insert(entry.path().filename());
        EXPECT_FALSE(listed.empty());
        EXPECT_EQ(listed, extracted);
        return folder;
    }

    tsecheck::ExportReport exportAndCheck()
    {
        Export e = exportTar();
        EXPECT_EQ(e.rc, WORM_ERROR_NOERROR);
        auto report = tsecheck::checkExport(extract(e), publicKey(), serial());
        for (const auto &p : report.problems)
            ADD_FAILURE() << p;
        return report;
    }

    void control(const std::string &text) { std::ofstream(mount / "TSE_CONTROL.TXT") << text; }

    fs::path root;
    fs::path mount;
    WormLibrary lib;
    WormContext *ctx = nullptr;
    std::vector<WormInfo *> infos;
    int exports = 0;
};

std::vector<const tsecheck::ExportedLog *> logsOf(const tsecheck::ExportReport &r, const std::string &operation)
{
    std::vector<const tsecheck::ExportedLog *> out;
    for (const auto &l : r.logs)
        if (l.message.text(0) == operation)
            out.push_back(&l);
    return out;
}

} // namespace

// ---------------------------------------------------------------- library

TEST_F(WormDevice, ExportsOnlyTheDeviceFunctions)
{
    // SetUp resolved every name; nothing else may leak into the dynamic symbol table.
    std::set<std::string> expected;
#define WORM_NAME(name) expected.insert(#name);
    WORM_FUNCTIONS(WORM_NAME)
#undef WORM_NAME
    std::set<std::string> exported;
    const std::string nm = run("nm -D --defined-only '" + WormLibrary::path() + "'");
    ASSERT_EQ(nm.rfind("FAILED", 0), std::string::npos);
    for (size_t pos = 0, nl; (nl = nm.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        const std::string line = nm.substr(pos, nl - pos);
        exported.insert(line.substr(line.rfind(' ') + 1));
    }
    EXPECT_EQ(exported, expected);
}

// ---------------------------------------------------------------- start-up

struct NoDeviceCase {
    const char *name;
    std::function<std::string(const fs::path &mount)> prepare; // returns the mount point to pass
    int expected;
};
void PrintTo(const NoDeviceCase &c, std::ostream *os) { *os << c.name; }

class NoDevice : public WormDevice, public ::testing::WithParamInterface<NoDeviceCase> {};

TEST_P(NoDevice, InitFailsAndLeavesNothingBehind)
{
    const std::string mountPoint = GetParam().prepare(mount);
    EXPECT_EQ(lib.worm_init(&ctx, mountPoint.c_str()), GetParam().expected);
    EXPECT_EQ(ctx, nullptr);
    EXPECT_FALSE(fs::exists(mount / "TSE_STATE.DAT"));
    EXPECT_FALSE(fs::exists(mount / "TSE_KEYS.PEM"));
}

INSTANTIATE_TEST_SUITE_P(
    WormApi, NoDevice,
    ::testing::Values(
        NoDeviceCase{"FolderWithoutMarkerFile",
                     [](const fs::path &m) { fs::remove(m / "TSE_COMM.DAT"); return m.string(); },
                     WORM_ERROR_NO_WORM_CARD},
        NoDeviceCase{"MissingFolder", [](const fs::path &m) { return (m / "gone").string(); }, WORM_ERROR_NO_WORM_CARD},
        NoDeviceCase{"ControlFileSaysMissing",
                     [](const fs::path &m) { std::ofstream(m / "TSE_CONTROL.TXT") << "device = missing\n"; return m.string(); },
                     WORM_ERROR_NO_WORM_CARD},
        NoDeviceCase{"InjectedTimeout",
                     [](const fs::path &m) { std::ofstream(m / "TSE_CONTROL.TXT") << "worm_init = TIMEOUT\n"; return m.string(); },
                     WORM_ERROR_TIMEOUT},
        NoDeviceCase{"EmptyMountPoint", [](const fs::path &) { return std::string(); }, WORM_ERROR_INVALID_PARAMETER}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WormDevice, StartUpReportsAHealthyDeviceWithMatchingKeyAndCertificate)
{
    ASSERT_EQ(open(), WORM_ERROR_NOERROR);
    WormInfo *before = readInfo();
    EXPECT_EQ(lib.worm_info_initializationState(before), 1);
    EXPECT_EQ(lib.worm_info_hasPassedSelfTest(before), 0);
    EXPECT_EQ(lib.worm_info_isErsInterfaceActive(before), 0);

    ASSERT_NO_FATAL_FAILURE(startUp());
    WormInfo *info = readInfo();
    // The register accepts the device only when these add up to 3.
    EXPECT_EQ(lib.worm_info_isErsInterfaceActive(info) + lib.worm_info_initializationState(info) +
                  lib.worm_info_hasPassedSelfTest(info),
              3);
    EXPECT_GT(lib.worm_info_remainingSignatures(info), 0u);
    EXPECT_GT(lib.worm_info_firmwareVersion(info), 0u);
    EXPECT_GT(lib.worm_info_size(info), 0u);
    EXPECT_GT(lib.worm_info_capacity(info), lib.worm_info_size(info));
    EXPECT_GT(lib.worm_info_certificateExpirationDate(info), now() + 4u * 365 * 86400);
    EXPECT_STRNE(lib.worm_info_tseDescription(info), "");

    const Bytes key = publicKey();
    ASSERT_EQ(key.size(), 97u);
    EXPECT_EQ(key[0], 0x04);
    const Bytes serialNumber = serial();
    EXPECT_EQ(serialNumber, tsecheck::sha256(key));

    // Certificate: first ask for the length (which counts the terminating zero), then fetch.
    uint32_t length = 0;
    ASSERT_EQ(lib.worm_getLogMessageCertificate(ctx, nullptr, &length), WORM_ERROR_NOERROR);
    std::string pem(length, '\x7f');
    uint32_t tooShort = length - 1;
    EXPECT_EQ(lib.worm_getLogMessageCertificate(ctx, reinterpret_cast<unsigned char *>(pem.data()), &tooShort),
              WORM_ERROR_INVALID_PARAMETER);
    ASSERT_EQ(lib.worm_getLogMessageCertificate(ctx, reinterpret_cast<unsigned char *>(pem.data()), &length),
              WORM_ERROR_NOERROR);
    ASSERT_EQ(pem.back(), '\0');
    pem.pop_back();
    EXPECT_EQ(pem.find('\0'), std::string::npos);
    EXPECT_EQ(pem.rfind("-----BEGIN CERTIFICATE-----", 0), 0u);

    BIO *bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509 *cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    ASSERT_NE(cert, nullptr);
    unsigned char *der = nullptr;
    const int derLen = i2d_X509(cert, &der);
    EXPECT_EQ(tsecheck::certificatePoint(Bytes(der, der + derLen)), key);
    OPENSSL_free(der);
    char subjectSerial[80] = {};
    X509_NAME_get_text_by_NID(X509_get_subject_name(cert), NID_serialNumber, subjectSerial, sizeof subjectSerial);
    EXPECT_EQ(subjectSerial, tsecheck::hexUpper(serialNumber));
    std::tm notAfter{};
    ASSERT_EQ(ASN1_TIME_to_tm(X509_get0_notAfter(cert), &notAfter), 1);
    EXPECT_EQ(static_cast<uint32_t>(timegm(&notAfter)), lib.worm_info_certificateExpirationDate(info));
    X509_free(cert);

    // The identity is the device's, not the session's.
    ASSERT_NO_FATAL_FAILURE(reload());
    EXPECT_EQ(publicKey(), key);
    EXPECT_EQ(serial(), serialNumber);
}

// ---------------------------------------------------------------- login

struct LoginStep {
    std::string pin;
    int rc;
    int remaining;
};
struct LoginCase {
    const char *name;
    std::vector<LoginStep> steps;
};
void PrintTo(const LoginCase &c, std::ostream *os) { *os << c.name; }

class Login : public WormDevice, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(Login, CountsTriesAndBlocks)
{
    ASSERT_EQ(open(), WORM_ERROR_NOERROR);
    for (const auto &step : GetParam().steps) {
        int remaining = -1;
        EXPECT_EQ(login(step.pin, &remaining), step.rc) << step.pin;
        EXPECT_EQ(remaining, step.remaining) << step.pin;
    }
}

INSTANTIATE_TEST_SUITE_P(
    WormApi, Login,
    ::testing::Values(LoginCase{"RightPin", {{kPin, 0, 3}}},
                      LoginCase{"PinIsComparedWhole", {{"6173", 1, 2}, {"617380", 1, 1}}},
                      LoginCase{"RightPinRestoresTheTries", {{"11111", 1, 2}, {kPin, 0, 3}, {"11111", 1, 2}}},
                      LoginCase{"ThirdWrongPinBlocksEvenTheRightOne",
                                {{"1", 1, 2}, {"2", 1, 1}, {"3", 1, 0}, {kPin, 1, 0}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WormDevice, BlockedUserStaysBlockedAcrossRestartsUntilANewPinIsSet)
{
    ASSERT_EQ(open(), WORM_ERROR_NOERROR);
    EXPECT_EQ(login(kPin, nullptr, 2), WORM_ERROR_INVALID_PARAMETER);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(login("00000"), WORM_ERROR_INVALID_PARAMETER);
    ASSERT_NO_FATAL_FAILURE(reload());
    int remaining = -1;
    EXPECT_EQ(login(kPin, &remaining), WORM_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(remaining, 0);

    const std::string newPin = "24680";
    ASSERT_EQ(lib.worm_tse_setup(ctx, bytes(newPin), static_cast<int>(newPin.size())), WORM_ERROR_NOERROR);
    EXPECT_EQ(login(kPin, &remaining), WORM_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(remaining, 2);
    EXPECT_EQ(login(newPin, &remaining), WORM_ERROR_NOERROR);
    EXPECT_EQ(remaining, 3);
}

// ---------------------------------------------------------------- readiness

struct ReadinessCase {
    const char *name;
    bool selfTest, login, timeUpdate;
    int expected;
};
void PrintTo(const ReadinessCase &c, std::ostream *os) { *os << c.name; }

class Readiness : public WormDevice, public ::testing::WithParamInterface<ReadinessCase> {};

TEST_P(Readiness, TransactionsNeedSelfTestLoginAndTime)
{
    ASSERT_EQ(open(), WORM_ERROR_NOERROR);
    const auto &c = GetParam();
    if (c.selfTest) {
        ASSERT_EQ(lib.worm_tse_runSelfTest(ctx, kClient), WORM_ERROR_NOERROR);
    }
    if (c.login) {
        ASSERT_EQ(login(kPin), WORM_ERROR_NOERROR);
    }
    if (c.timeUpdate) {
        EXPECT_EQ(lib.worm_transaction_openStore(ctx, now()), c.login ? WORM_ERROR_NOERROR : WORM_ERROR_INVALID_PARAMETER);
    }
    Tx s = start();
    EXPECT_EQ(s.rc, c.expected);
    if (c.expected != WORM_ERROR_NOERROR) {
        EXPECT_EQ(finish(1).rc, WORM_ERROR_INVALID_PARAMETER);
    }
}

INSTANTIATE_TEST_SUITE_P(WormApi, Readiness,
                         ::testing::Values(ReadinessCase{"AllDone", true, true, true, WORM_ERROR_NOERROR},
                                           ReadinessCase{"NoSelfTest", false, true, true, WORM_ERROR_INVALID_PARAMETER},
                                           ReadinessCase{"NoLogin", true, false, true, WORM_ERROR_INVALID_PARAMETER},
                                           ReadinessCase{"NoTimeUpdate", true, true, false, WORM_ERROR_INVALID_PARAMETER}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- transactions

TEST_F(WormDevice, NumbersAndCountersIncreaseWithoutGapsAcrossARestart)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    std::vector<std::pair<Tx, Tx>> sales;
    auto runSales = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const uint32_t before = now();
            auto [s, f] = sale();
            ASSERT_EQ(f.rc, WORM_ERROR_NOERROR);
            EXPECT_EQ(s.number, sales.empty() ? 1u : sales.back().first.number + 1);
            EXPECT_GT(f.counter, s.counter);
            if (!sales.empty()) {
                EXPECT_GT(s.counter, sales.back().second.counter);
            }
            EXPECT_GE(s.logTime, before);
            EXPECT_LE(f.logTime, now() + 1);
            EXPECT_LE(s.logTime, f.logTime);
            EXPECT_EQ(f.signature.size(), 96u);
            sales.emplace_back(s, f);
        }
    };
    runSales(3);

    ASSERT_NO_FATAL_FAILURE(reload());
    ASSERT_EQ(lib.worm_tse_runSelfTest(ctx, kClient), WORM_ERROR_NOERROR);
    ASSERT_EQ(login(kPin), WORM_ERROR_NOERROR);
    // The clock does not survive a restart.
    EXPECT_EQ(start().rc, WORM_ERROR_INVALID_PARAMETER);
    ASSERT_EQ(lib.worm_transaction_openStore(ctx, now()), WORM_ERROR_NOERROR);
    runSales(2);

    const auto report = exportAndCheck();
    const auto finishes = logsOf(report, "FinishTransaction");
    EXPECT_EQ(logsOf(report, "StartTransaction").size(), sales.size());
    ASSERT_EQ(finishes.size(), sales.size());
    for (size_t i = 0; i < sales.size(); ++i) {
        const auto &m = finishes[i]->message;
        EXPECT_EQ(m.taggedInteger(5), sales[i].first.number);
        EXPECT_EQ(m.counter, sales[i].second.counter);
        EXPECT_EQ(m.logTime, sales[i].second.logTime);
        EXPECT_EQ(m.signature, sales[i].second.signature);
        EXPECT_EQ(m.text(2), kSale);
        EXPECT_EQ(m.text(3), kReceipt);
    }
}

TEST_F(WormDevice, FinishSignatureVerifiesFromTheReturnedValues)
{
    // What anyone can do with a receipt's QR code.
    ASSERT_NO_FATAL_FAILURE(startUp());
    const Tx s = start();
    const Tx f = finish(s.number, kSale);
    ASSERT_EQ(f.rc, WORM_ERROR_NOERROR);
    EVP_PKEY *key = tsecheck::publicKeyFromPoint(publicKey());
    ASSERT_NE(key, nullptr);
    tsecheck::FinishValues v{kClient, Bytes(kSale, kSale + std::strlen(kSale)), kReceipt, s.number, serial(),
                             f.counter, f.logTime};
    EXPECT_TRUE(tsecheck::verifyPlainSha384(key, tsecheck::finishSignedData(v), f.signature));
    v.logTime += 1;
    EXPECT_FALSE(tsecheck::verifyPlainSha384(key, tsecheck::finishSignedData(v), f.signature));
    EVP_PKEY_free(key);
}

TEST_F(WormDevice, LogTimeFollowsTimeUpdatesButNeverGoesBack)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    const uint32_t ahead = now() + 86400;
    ASSERT_EQ(lib.worm_transaction_openStore(ctx, ahead), WORM_ERROR_NOERROR);
    const Tx s = start();
    EXPECT_GE(s.logTime, ahead);
    EXPECT_LE(s.logTime, ahead + 5);
    ASSERT_EQ(lib.worm_transaction_openStore(ctx, now() - 86400), WORM_ERROR_NOERROR);
    EXPECT_GE(finish(s.number).logTime, s.logTime);
}

TEST_F(WormDevice, TransactionsStayOpenUntilFinishedEvenAcrossARestart)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    const Tx a = start(), b = start();
    EXPECT_EQ(finish(a.number).rc, WORM_ERROR_NOERROR);
    EXPECT_EQ(finish(a.number).rc, WORM_ERROR_INVALID_PARAMETER);
    ASSERT_NO_FATAL_FAILURE(reload());
    ASSERT_NO_FATAL_FAILURE(startUp());
    EXPECT_EQ(finish(b.number).rc, WORM_ERROR_NOERROR);
    EXPECT_EQ(start().number, b.number + 1);
}

struct RefusedCall {
    const char *name;
    std::function<int(WormDevice &, uint32_t open)> call;
};
void PrintTo(const RefusedCall &c, std::ostream *os) { *os << c.name; }

class Refused : public WormDevice, public ::testing::WithParamInterface<RefusedCall> {
public:
    using WormDevice::finish;
    using WormDevice::lib;
    using WormDevice::ctx;
};

TEST_P(Refused, ChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    const Tx open = start();
    EXPECT_EQ(GetParam().call(*this, open.number), WORM_ERROR_INVALID_PARAMETER);
    // Neither a number nor a counter was used up, and the transaction is still open.
    const Tx f = finish(open.number);
    EXPECT_EQ(f.rc, WORM_ERROR_NOERROR);
    EXPECT_EQ(f.counter, open.counter + 1);
    EXPECT_EQ(start().number, open.number + 1);
}

namespace {
int startWith(WormDevice &d, const char *client, const unsigned char *data, uint32_t length, const char *type,
              bool withResponse = true)
{
    auto &t = static_cast<Refused &>(d);
    auto *r = withResponse ? t.lib.worm_transaction_response_new(t.ctx) : nullptr;
    const int rc = t.lib.worm_transaction_start(t.ctx, client, data, length, type, r);
    t.lib.worm_transaction_response_free(r);
    return rc;
}
const unsigned char kData[] = "abc";
} // namespace

INSTANTIATE_TEST_SUITE_P(
    WormApi, Refused,
    ::testing::Values(
        RefusedCall{"FinishOfUnknownNumber", [](WormDevice &d, uint32_t n) { return static_cast<Refused &>(d).finish(n + 100).rc; }},
        RefusedCall{"FinishByAnotherClient",
                    [](WormDevice &d, uint32_t n) { return static_cast<Refused &>(d).finish(n, kSale, "KASSE2").rc; }},
        RefusedCall{"EmptyClientId", [](WormDevice &d, uint32_t) { return startWith(d, "", kData, 3, kReceipt); }},
        RefusedCall{"ClientIdTooLong",
                    [](WormDevice &d, uint32_t) { return startWith(d, "K234567890123456789012345678901", kData, 3, kReceipt); }},
        RefusedCall{"ClientIdNotPrintable", [](WormDevice &d, uint32_t) { return startWith(d, "KASSE_1", kData, 3, kReceipt); }},
        RefusedCall{"NoProcessType", [](WormDevice &d, uint32_t) { return startWith(d, kClient, kData, 3, nullptr); }},
        RefusedCall{"NoProcessDataButALength", [](WormDevice &d, uint32_t) { return startWith(d, kClient, nullptr, 3, kReceipt); }},
        RefusedCall{"NoResponse", [](WormDevice &d, uint32_t) { return startWith(d, kClient, kData, 3, kReceipt, false); }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- export and deletion

TEST_F(WormDevice, ExportStreamsAnArchiveWithOneSignedMessagePerEvent)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    constexpr int kSales = 20;
    for (int i = 0; i < kSales; ++i) {
        Tx s = start();
        if (i == 7) {
            auto *r = lib.worm_transaction_response_new(ctx);
            const std::string data = "Zwischenstand";
            ASSERT_EQ(lib.worm_transaction_update(ctx, kClient, s.number, bytes(data), data.size(), kReceipt, r),
                      WORM_ERROR_NOERROR);
            lib.worm_transaction_response_free(r);
        }
        ASSERT_EQ(finish(s.number).rc, WORM_ERROR_NOERROR);
    }

    Export e = exportTar();
    ASSERT_EQ(e.rc, WORM_ERROR_NOERROR);
    EXPECT_GT(e.chunks, 1u); // streamed, not handed over in one piece
    const auto report = tsecheck::checkExport(extract(e), publicKey(), serial());
    for (const auto &p : report.problems)
        ADD_FAILURE() << p;
    EXPECT_EQ(logsOf(report, "StartTransaction").size(), size_t(kSales));
    EXPECT_EQ(logsOf(report, "FinishTransaction").size(), size_t(kSales));
    EXPECT_EQ(logsOf(report, "UpdateTransaction").size(), 1u);
    for (const char *event : {"initialize", "selfTest", "updateTime"})
        EXPECT_EQ(logsOf(report, event).size(), 1u) << event;
    ASSERT_FALSE(report.logs.empty());
    EXPECT_EQ(report.logs.front().message.counter, 1u);
}

TEST_F(WormDevice, FilteredExportsHoldOnlyTheChosenTransactions)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(sale().second.rc, WORM_ERROR_NOERROR);
    Export e;
    ASSERT_EQ(lib.worm_export_tar_filtered_transaction(ctx, 2, 3, kClient, collect, &e), WORM_ERROR_NOERROR);
    const auto report = tsecheck::checkExport(extract(e), publicKey(), serial());
    std::multiset<uint64_t> numbers;
    for (const auto &l : report.logs)
        numbers.insert(l.message.taggedInteger(5).value_or(0));
    EXPECT_EQ(numbers, (std::multiset<uint64_t>{2, 2, 3, 3}));

    Export none;
    EXPECT_EQ(lib.worm_export_tar_filtered_time(ctx, 10, 5, nullptr, collect, &none), WORM_ERROR_INVALID_PARAMETER);
}

TEST_F(WormDevice, DeletionRemovesExactlyWhatTheLastExportDelivered)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(sale().second.rc, WORM_ERROR_NOERROR);
    EXPECT_EQ(lib.worm_export_deleteStoredData(ctx), WORM_ERROR_EXPORT_NOT_INITIALIZED);

    const auto first = exportAndCheck();
    ASSERT_FALSE(first.logs.empty());
    const auto lateSale = sale(); // after the export, so not yet delivered
    ASSERT_EQ(lateSale.second.rc, WORM_ERROR_NOERROR);
    const uint64_t sizeBefore = lib.worm_info_size(readInfo());
    ASSERT_EQ(lib.worm_export_deleteStoredData(ctx), WORM_ERROR_NOERROR);
    EXPECT_LT(lib.worm_info_size(readInfo()), sizeBefore);

    const auto second = exportAndCheck();
    ASSERT_EQ(second.logs.size(), 2u);
    EXPECT_EQ(second.logs.front().message.counter, first.logs.back().message.counter + 1);
    EXPECT_EQ(second.logs.back().message.counter, lateSale.second.counter);

    // Deleting is for the logged-in user only.
    ASSERT_NO_FATAL_FAILURE(reload());
    EXPECT_EQ(lib.worm_export_deleteStoredData(ctx), WORM_ERROR_INVALID_PARAMETER);
}

TEST_F(WormDevice, AnAbortedExportDoesNotAllowDeletion)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(sale().second.rc, WORM_ERROR_NOERROR);
    int calls = 0;
    auto refuseSecond = [](const unsigned char *, uint32_t, void *data) { return ++*static_cast<int *>(data) > 1 ? 1 : 0; };
    EXPECT_EQ(lib.worm_export_tar(ctx, refuseSecond, &calls), WORM_ERROR_EXPORT_FAILED);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(lib.worm_export_deleteStoredData(ctx), WORM_ERROR_EXPORT_NOT_INITIALIZED);
}

// ---------------------------------------------------------------- failure injection

struct InjectionCase {
    const char *name;
    const char *control;
    std::function<void(WormDevice &)> check;
};
void PrintTo(const InjectionCase &c, std::ostream *os) { *os << c.name; }

class Injected : public WormDevice, public ::testing::WithParamInterface<InjectionCase> {
public:
    using WormDevice::control;
    using WormDevice::ctx;
    using WormDevice::exportAndCheck;
    using WormDevice::exportTar;
    using WormDevice::finish;
    using WormDevice::lib;
    using WormDevice::mount;
    using WormDevice::readInfo;
    using WormDevice::start;
};

TEST_P(Injected, FailsAsTold)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    control(GetParam().control);
    GetParam().check(*this);
}

namespace {
Injected &as(WormDevice &d) { return static_cast<Injected &>(d); }
std::string controlText(Injected &t)
{
    std::ifstream in(t.mount / "TSE_CONTROL.TXT");
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    WormApi, Injected,
    ::testing::Values(
        InjectionCase{"StoreFullOnStart", "worm_transaction_start = ERROR_STORE_FULL\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          EXPECT_EQ(t.start().rc, WORM_ERROR_STORE_FULL);
                          EXPECT_EQ(t.start().rc, WORM_ERROR_STORE_FULL);
                          t.control("");
                          EXPECT_EQ(t.start().number, 1u); // the failed calls used no number
                      }},
        InjectionCase{"TimeoutOnceOnFinish", "# one time-out\nworm_transaction_finish = TIMEOUT x1\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          const Tx s = t.start();
                          EXPECT_EQ(t.finish(s.number).rc, WORM_ERROR_TIMEOUT);
                          EXPECT_EQ(controlText(t), "# one time-out\n");
                          EXPECT_EQ(t.finish(s.number).rc, WORM_ERROR_NOERROR);
                      }},
        InjectionCase{"TimeoutAfterTheFinishWasStored", "worm_transaction_finish = 4 after\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          const Tx s = t.start();
                          EXPECT_EQ(t.finish(s.number).rc, WORM_ERROR_TIMEOUT);
                          t.control("");
                          EXPECT_EQ(t.finish(s.number).rc, WORM_ERROR_INVALID_PARAMETER);
                          EXPECT_EQ(logsOf(t.exportAndCheck(), "FinishTransaction").size(), 1u);
                      }},
        InjectionCase{"AnyCallTwice", "* = ERROR_IO x2\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          EXPECT_EQ(t.lib.worm_tse_runSelfTest(t.ctx, kClient), WORM_ERROR_IO);
                          EXPECT_EQ(t.lib.worm_transaction_openStore(t.ctx, now()), WORM_ERROR_IO);
                          EXPECT_EQ(t.start().rc, WORM_ERROR_NOERROR);
                      }},
        InjectionCase{"DeviceDisappears", "device = missing\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          WormInfo *info = t.lib.worm_info_new(t.ctx);
                          EXPECT_EQ(t.lib.worm_info_read(info), WORM_ERROR_NO_WORM_CARD);
                          t.lib.worm_info_free(info);
                          EXPECT_EQ(t.lib.worm_tse_runSelfTest(t.ctx, kClient), WORM_ERROR_NO_WORM_CARD);
                          EXPECT_EQ(t.lib.worm_transaction_openStore(t.ctx, now()), WORM_ERROR_NO_WORM_CARD);
                          EXPECT_EQ(t.start().rc, WORM_ERROR_NO_WORM_CARD);
                          EXPECT_EQ(t.exportTar().rc, WORM_ERROR_NO_WORM_CARD);
                          EXPECT_EQ(t.lib.worm_export_deleteStoredData(t.ctx), WORM_ERROR_NO_WORM_CARD);
                          t.control("");
                          EXPECT_EQ(t.start().rc, WORM_ERROR_NOERROR);
                      }},
        InjectionCase{"MarkerFileRemoved", "",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          fs::remove(t.mount / "TSE_COMM.DAT");
                          EXPECT_EQ(t.start().rc, WORM_ERROR_NO_WORM_CARD);
                      }},
        InjectionCase{"ExportFails", "worm_export_tar = EXPORT_FAILED\n",
                      [](WormDevice &d) {
                          const Export e = as(d).exportTar();
                          EXPECT_EQ(e.rc, WORM_ERROR_EXPORT_FAILED);
                          EXPECT_EQ(e.chunks, 0u);
                      }},
        InjectionCase{"NoPublicKey", "worm_info_tsePublicKey = RESPONSE_MISSING\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          const unsigned char *key = nullptr;
                          uint32_t length = 99;
                          EXPECT_EQ(t.lib.worm_info_tsePublicKey(t.readInfo(), &key, &length),
                                    WORM_ERROR_RESPONSE_MISSING);
                          EXPECT_EQ(length, 0u);
                      }},
        InjectionCase{"CodeOutsideTheTable", "worm_tse_runSelfTest = 12\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          EXPECT_EQ(t.lib.worm_tse_runSelfTest(t.ctx, kClient), 12);
                      }},
        InjectionCase{"CertificateExpiry", "expiration = 1700000000\n",
                      [](WormDevice &d) {
                          auto &t = as(d);
                          EXPECT_EQ(t.lib.worm_info_certificateExpirationDate(t.readInfo()), 1700000000u);
                      }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WormDevice, StoreFillsUpToItsCapacityButStillStartsAndExports)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    const uint64_t capacity = lib.worm_info_size(readInfo()) + 3000;
    control("capacity = " + std::to_string(capacity) + "\n");
    int rc = WORM_ERROR_NOERROR;
    for (int i = 0; i < 50 && rc == WORM_ERROR_NOERROR; ++i)
        rc = start().rc;
    EXPECT_EQ(rc, WORM_ERROR_STORE_FULL);
    WormInfo *info = readInfo();
    EXPECT_EQ(lib.worm_info_capacity(info), capacity);
    EXPECT_LE(lib.worm_info_size(info), capacity);
    // A full device can still be started, so that it can be exported and emptied.
    ASSERT_NO_FATAL_FAILURE(reload());
    ASSERT_NO_FATAL_FAILURE(startUp());
    exportAndCheck();
    ASSERT_EQ(lib.worm_export_deleteStoredData(ctx), WORM_ERROR_NOERROR);
    EXPECT_EQ(start().rc, WORM_ERROR_NOERROR);
}

// ---------------------------------------------------------------- crash safety

TEST_F(WormDevice, ATornWriteAtTheEndOfTheStoreIsDropped)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    ASSERT_EQ(sale().second.rc, WORM_ERROR_NOERROR);
    close();
    const Bytes store = tsecheck::readBytes(mount / "TSE_LOG.DAT");
    ASSERT_GT(store.size(), 40u);
    // Power lost in the middle of appending a message.
    std::ofstream(mount / "TSE_LOG.DAT", std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char *>(store.data()), 40);

    ASSERT_NO_FATAL_FAILURE(startUp());
    ASSERT_EQ(sale().second.rc, WORM_ERROR_NOERROR);
    exportAndCheck();
    for (const auto &entry : fs::directory_iterator(mount))
        EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
}

TEST_F(WormDevice, MessagesStoredJustBeforeACrashAreNeitherLostNorReused)
{
    ASSERT_NO_FATAL_FAILURE(startUp());
    ASSERT_EQ(sale().second.rc, WORM_ERROR_NOERROR);
    close();
    const fs::path state = mount / "TSE_STATE.DAT";
    fs::copy_file(state, root / "state.before");
    ASSERT_NO_FATAL_FAILURE(startUp());
    const Tx started = start();
    ASSERT_EQ(started.rc, WORM_ERROR_NOERROR);
    close();
    // The message was stored but the state file still shows the time before it.
    fs::copy_file(root / "state.before", state, fs::copy_options::overwrite_existing);

    ASSERT_NO_FATAL_FAILURE(startUp());
    const Tx next = start();
    EXPECT_EQ(next.number, started.number + 1);
    EXPECT_GT(next.counter, started.counter);
    EXPECT_EQ(finish(started.number).rc, WORM_ERROR_NOERROR);
    exportAndCheck();
}
