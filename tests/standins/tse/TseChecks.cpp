#include "TseChecks.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <regex>

#include <openssl/asn1.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/objects.h>
#include <openssl/param_build.h>
#include <openssl/sha.h>
#include <openssl/x509.h>

namespace fs = std::filesystem;

namespace tsecheck {

namespace {

struct Element {
    const unsigned char *start;
    const unsigned char *content;
    long length;
    int tag;
    int cls;
    const unsigned char *end() const { return content + length; }
    Bytes whole() const { return Bytes(start, end()); }
    Bytes body() const { return Bytes(content, end()); }
};

std::optional<Element> next(const unsigned char *&p, const unsigned char *end)
{
    Element e{p, p, 0, 0, 0};
    const unsigned char *q = p;
    const int r = ASN1_get_object(&q, &e.length, &e.tag, &e.cls, end - p);
    if (r & 0x80)
        return std::nullopt;
    e.content = q;
    p = e.end();
    return e;
}

std::string oidText(const Bytes &whole)
{
    const unsigned char *p = whole.data();
    ASN1_OBJECT *obj = d2i_ASN1_OBJECT(nullptr, &p, static_cast<long>(whole.size()));
    if (!obj)
        return {};
    char buf[128];
    OBJ_obj2txt(buf, sizeof buf, obj, 1);
    ASN1_OBJECT_free(obj);
    return buf;
}

std::optional<uint64_t> integer(const Bytes &whole)
{
    const unsigned char *p = whole.data();
    ASN1_INTEGER *i = d2i_ASN1_INTEGER(nullptr, &p, static_cast<long>(whole.size()));
    if (!i)
        return std::nullopt;
    uint64_t v = 0;
    const bool ok = ASN1_INTEGER_get_uint64(&v, i) == 1;
    ASN1_INTEGER_free(i);
    return ok ? std::optional(v) : std::nullopt;
}

Bytes encode(const std::string &asn1Text)
{
    ASN1_TYPE *t = ASN1_generate_nconf(asn1Text.c_str(), nullptr);
    if (!t)
        return {};
    unsigned char *buf = nullptr;
    const int n = i2d_ASN1_TYPE(t, &buf);
    ASN1_TYPE_free(t);
    Bytes out;
    if (n > 0)
        out.assign(buf, buf + n);
    OPENSSL_free(buf);
    return out;
}

std::string hexLower(const Bytes &b)
{
    std::string s = hexUpper(b);
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

std::optional<uint64_t> LogMessage::taggedInteger(int tag) const
{
    auto it = tagged.find(tag);
    if (it == tagged.end())
        return std::nullopt;
    // Re-tag the implicit [n] content as a universal INTEGER to decode it.
    Bytes whole{V_ASN1_INTEGER, static_cast<unsigned char>(it->second.size())};
    whole.insert(whole.end(), it->second.begin(), it->second.end());
    return integer(whole);
}

std::string hexUpper(const Bytes &bytes)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char b : bytes) {
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

Bytes sha256(const Bytes &data)
{
    Bytes out(SHA256_DIGEST_LENGTH);
    SHA256(data.data(), data.size(), out.data());
    return out;
}

Bytes readBytes(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::optional<LogMessage> parseLogMessage(const Bytes &der)
{
    const unsigned char *p = der.data();
    const unsigned char *end = p + der.size();
    auto outer = next(p, end);
    if (!outer || outer->tag != V_ASN1_SEQUENCE || outer->end() != end)
        return std::nullopt;
    std::vector<Element> elements;
    for (const unsigned char *q = outer->content; q < end;) {
        auto e = next(q, end);
        if (!e)
            return std::nullopt;
        elements.push_back(*e);
    }
    if (elements.size() < 8)
        return std::nullopt;
    LogMessage m;
    size_t i = 0;
    auto version = integer(elements[i++].whole());
    m.version = version ? static_cast<int>(*version) : -1;
    if (elements[i].tag != V_ASN1_OBJECT)
        return std::nullopt;
    m.type = oidText(elements[i++].whole());
    for (; i < elements.size() && elements[i].cls == V_ASN1_CONTEXT_SPECIFIC; ++i)
        m.tagged[elements[i].tag] = elements[i].body();
    if (elements.size() - i != 5 || elements[i].tag != V_ASN1_OCTET_STRING)
        return std::nullopt;
    m.serial = elements[i++].body();
    const Element alg = elements[i++];
    const unsigned char *ap = alg.content;
    auto algOid = next(ap, alg.end());
    if (alg.tag != V_ASN1_SEQUENCE || !algOid)
        return std::nullopt;
    m.algorithm = oidText(algOid->whole());
    auto counter = integer(elements[i++].whole());
    auto logTime = integer(elements[i++].whole());
    if (!counter || !logTime || elements[i].tag != V_ASN1_OCTET_STRING)
        return std::nullopt;
    m.counter = *counter;
    m.logTime = *logTime;
    m.signature = elements[i].body();
    m.signedData.assign(elements.front().start, elements[i].start);
    return m;
}

EVP_PKEY *publicKeyFromPoint(const Bytes &point)
{
    OSSL_PARAM_BLD *bld = OSSL_PARAM_BLD_new();
    OSSL_PARAM_BLD_push_utf8_string(bld, OSSL_PKEY_PARAM_GROUP_NAME, "brainpoolP384r1", 0);
    OSSL_PARAM_BLD_push_octet_string(bld, OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size());
    OSSL_PARAM *params = OSSL_PARAM_BLD_to_param(bld);
    EVP_PKEY_CTX *ctx = EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr);
    EVP_PKEY *key = nullptr;
    if (!ctx || EVP_PKEY_fromdata_init(ctx) != 1 || EVP_PKEY_fromdata(ctx, &key, EVP_PKEY_PUBLIC_KEY, params) != 1)
        key = nullptr;
    EVP_PKEY_CTX_free(ctx);
    OSSL_PARAM_free(params);
    OSSL_PARAM_BLD_free(bld);
    return key;
}

Bytes certificatePoint(const Bytes &certDer)
{
    const unsigned char *p = certDer.data();
    X509 *cert = d2i_X509(nullptr, &p, static_cast<long>(certDer.size()));
    Bytes point;
    if (cert) {
        EVP_PKEY *key = X509_get0_pubkey(cert);
        unsigned char *buf = nullptr;
        const int n = key ? i2d_PublicKey(key, &buf) : 0; // EC: the encoded point
        if (n > 0)
            point.assign(buf, buf + n);
        OPENSSL_free(buf);
        X509_free(cert);
    }
    return point;
}

bool verifyPlainSha384(EVP_PKEY *key, const Bytes &data, const Bytes &plain)
{
    if (!key || plain.size() != 96)
        return false;
    ECDSA_SIG *sig = ECDSA_SIG_new();
    ECDSA_SIG_set0(sig, BN_bin2bn(plain.data(), 48, nullptr), BN_bin2bn(plain.data() + 48, 48, nullptr));
    unsigned char *der = nullptr;
    const int n = i2d_ECDSA_SIG(sig, &der);
    ECDSA_SIG_free(sig);
    EVP_MD_CTX *md = EVP_MD_CTX_new();
    const bool ok = n > 0 && EVP_DigestVerifyInit(md, nullptr, EVP_sha384(), nullptr, key) == 1 &&
                    EVP_DigestVerify(md, der, static_cast<size_t>(n), data.data(), data.size()) == 1;
    EVP_MD_CTX_free(md);
    OPENSSL_free(der);
    return ok;
}

Bytes finishSignedData(const FinishValues &v)
{
    const std::string data = v.processData.empty() ? "IMPLICIT:2C,OCTETSTRING:"
                                                   : "IMPLICIT:2C,FORMAT:HEX,OCTETSTRING:" + hexLower(v.processData);
    Bytes out;
    for (const std::string &asn1Text : {
             std::string("INTEGER:2"),
             std::string("OID:") + kTransactionLog,
             std::string("IMPLICIT:0C,PRINTABLESTRING:FinishTransaction"),
             "IMPLICIT:1C,PRINTABLESTRING:" + v.clientId,
             data,
             "IMPLICIT:3C,PRINTABLESTRING:" + v.processType,
             "IMPLICIT:5C,INTEGER:" + std::to_string(v.transactionNumber),
             "FORMAT:HEX,OCTETSTRING:" + hexLower(v.serial),
             std::string("SEQWRAP,OID:") + kPlainSha384,
             "INTEGER:" + std::to_string(v.signatureCounter),
             "INTEGER:" + std::to_string(v.logTime),
         }) {
        Bytes e = encode(asn1Text);
        if (e.empty())
            return {};
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

ExportReport checkExport(const fs::path &folder, const Bytes &publicKey, const Bytes &serial)
{
    ExportReport report;
    auto problem = [&report](std::string s) { report.problems.push_back(std::move(s)); };

    // info.csv
    {
        std::ifstream in(folder / "info.csv");
        report.infoCsv.assign(std::istreambuf_iterator<char>(in), {});
        static const std::regex info(R"(^"description:","[^"]+","manufacturer:","[^"]+","version:","[^"]+"\r?\n?$)");
        if (!std::regex_match(report.infoCsv, info))
            problem("info.csv: " + report.infoCsv);
    }

    // Certificates: named by their key hash; the TSE's is issued by the other one.
    std::vector<Bytes> certs;
    bool tseCertFound = false;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename();
        if (!name.ends_with("_X509.der"))
            continue;
        Bytes der = readBytes(entry.path());
        const Bytes point = certificatePoint(der);
        if (point.empty() || name != hexUpper(sha256(point)) + "_X509.der")
            problem("certificate name does not match its key: " + name);
        tseCertFound = tseCertFound || point == publicKey;
        certs.push_back(std::move(der));
    }
    if (certs.size() != 2 || !tseCertFound) {
        problem("expected the TSE certificate and its CA");
    } else {
        const unsigned char *p0 = certs[0].data(), *p1 = certs[1].data();
        X509 *a = d2i_X509(nullptr, &p0, static_cast<long>(certs[0].size()));
        X509 *b = d2i_X509(nullptr, &p1, static_cast<long>(certs[1].size()));
        if (certificatePoint(certs[0]) != publicKey)
            std::swap(a, b);
        if (!a || !b || X509_verify(a, X509_get0_pubkey(b)) != 1)
            problem("TSE certificate is not issued by the CA certificate");
        X509_free(a);
        X509_free(b);
    }

    // Log messages.
    EVP_PKEY *key = publicKeyFromPoint(publicKey);
    static const std::regex traName(R"(^Unixt_(\d+)_Sig-(\d+)_Log-Tra_No-(\d+)_(Start|Update|Finish)_Client-(.+?)(_Fc-\d+)?\.log$)");
    static const std::regex sysName(R"(^Unixt_(\d+)_Sig-(\d+)_Log-Sys_(.+?)(_Fc-\d+)?\.log$)");
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename();
        if (!name.ends_with(".log"))
            continue;
        auto m = parseLogMessage(readBytes(entry.path()));
        if (!m) {
            problem("not a log message: " + name);
            continue;
        }
        if (m->version != 2 || m->algorithm != kPlainSha384 || m->serial != serial)
            problem("version, algorithm or serial wrong in " + name);
        if (!verifyPlainSha384(key, m->signedData, m->signature))
            problem("signature does not verify: " + name);
        std::smatch g;
        if (std::regex_match(name, g, traName)) {
            if (m->type != kTransactionLog || g[1] != std::to_string(m->logTime) ||
                g[2] != std::to_string(m->counter) || g[3] != std::to_string(m->taggedInteger(5).value_or(0)) ||
                g[4].str() + "Transaction" != m->text(0) || g[5] != m->text(1))
                problem("name does not match contents: " + name);
        } else if (std::regex_match(name, g, sysName)) {
            if (m->type != kSystemLog || g[1] != std::to_string(m->logTime) || g[2] != std::to_string(m->counter) ||
                g[3] != m->text(0))
                problem("name does not match contents: " + name);
        } else {
            problem("unexpected file name: " + name);
        }
        report.logs.push_back({name, std::move(*m)});
    }
    EVP_PKEY_free(key);

    std::sort(report.logs.begin(), report.logs.end(),
              [](const ExportedLog &a, const ExportedLog &b) { return a.message.counter < b.message.counter; });
    for (size_t i = 1; i < report.logs.size(); ++i) {
        const auto &prev = report.logs[i - 1].message, &cur = report.logs[i].message;
        if (cur.counter != prev.counter + 1)
            problem("signature counter gap after " + std::to_string(prev.counter));
        if (cur.logTime < prev.logTime)
            problem("log time goes back at counter " + std::to_string(cur.counter));
    }
    return report;
}

} // namespace tsecheck
