#include "update_check/package_trust.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <optional>
#include <string_view>

#include "framework/unique_handle.h"
#include "update_check/machine_settings.h"
#include "update_check/package_identity.h"
#include "update_check/rules/signature_description.h"
#include "update_check/update_server.h"

#ifndef ORV_UPDATE_PUBLISHER_PINS
#define ORV_UPDATE_PUBLISHER_PINS ""
#endif

namespace orv {
namespace {

bool read_head(HANDLE file, std::string& head) {
    char bytes[8] = {};
    DWORD got = 0;
    OVERLAPPED at{};  // offset 0, whatever the file pointer
    if (!::ReadFile(file, bytes, sizeof(bytes), &got, &at)) return false;
    head.assign(bytes, got);
    return true;
}

std::string spki_pin(PCCERT_CONTEXT certificate) {
    DWORD size = 0;
    CERT_PUBLIC_KEY_INFO* key = &certificate->pCertInfo->SubjectPublicKeyInfo;
    if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, nullptr, &size)) {
        return {};
    }
    std::string der(size, '\0');
    if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key,
                             reinterpret_cast<BYTE*>(der.data()), &size)) {
        return {};
    }
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        return {};
    }
    std::string pin;
    HCRYPTHASH hash = 0;
    if (::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        BYTE digest[32] = {};
        DWORD digest_size = sizeof(digest);
        if (::CryptHashData(hash, reinterpret_cast<const BYTE*>(der.data()), size, 0) &&
            ::CryptGetHashParam(hash, HP_HASHVAL, digest, &digest_size, 0) &&
            digest_size == sizeof(digest)) {
            pin = hex_of(digest, sizeof(digest));
        }
        ::CryptDestroyHash(hash);
    }
    ::CryptReleaseContext(provider, 0);
    return pin;
}

// The signer's certificate from the state WinVerifyTrust kept; null when there is none.
PCCERT_CONTEXT signer_certificate(HANDLE state) {
    CRYPT_PROVIDER_DATA* data = ::WTHelperProvDataFromStateData(state);
    if (!data) return nullptr;
    CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(data, 0, FALSE, 0);
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain) return nullptr;
    return signer->pasCertChain[0].pCert;
}

// The signature's description, from the signer's authenticated attributes as the message holds
// them (the DER of SpcSpOpusInfo, read here rather than decoded by the system). Nothing when
// there is none.
std::optional<std::wstring> signature_description(HANDLE state) {
    CRYPT_PROVIDER_DATA* data = ::WTHelperProvDataFromStateData(state);
    if (!data) return std::nullopt;
    CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(data, 0, FALSE, 0);
    if (!signer || !signer->psSigner) return std::nullopt;
    const CRYPT_ATTRIBUTES& attributes = signer->psSigner->AuthAttrs;
    for (DWORD i = 0; i < attributes.cAttr && attributes.rgAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = attributes.rgAttr[i];
        if (!attribute.pszObjId || std::string_view(attribute.pszObjId) != spc_sp_opus_info_oid) {
            continue;
        }
        // One value, as Authenticode writes it; any other count is not a description.
        if (attribute.cValue != 1 || !attribute.rgValue) return std::nullopt;
        return opus_program_name(attribute.rgValue[0].pbData, attribute.rgValue[0].cbData);
    }
    return std::nullopt;
}

// The signature check alone: digest, chain and pin; `description` receives the signature's
// description.
package_verdict signature_verdict(HANDLE file, const std::wstring& path,
                                  const std::vector<std::string>& pins,
                                  std::optional<std::wstring>& description) {
    WINTRUST_FILE_INFO file_info{};
    file_info.cbStruct = sizeof(file_info);
    file_info.pcwszFilePath = path.c_str();
    file_info.hFile = file;  // the handle is judged, the path only names it
    WINTRUST_DATA trust{};
    trust.cbStruct = sizeof(trust);
    trust.dwUIChoice = WTD_UI_NONE;
    trust.fdwRevocationChecks = WTD_REVOKE_NONE;
    trust.dwUnionChoice = WTD_CHOICE_FILE;
    trust.pFile = &file_info;
    trust.dwStateAction = WTD_STATEACTION_VERIFY;
    trust.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    auto status = static_cast<std::uint32_t>(
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust));

    bool listed = false;
    if (!pins.empty() && trust.hWVTStateData) {
        if (PCCERT_CONTEXT signer = signer_certificate(trust.hWVTStateData)) {
            listed = pin_is_listed(pins, spki_pin(signer));
        }
        description = signature_description(trust.hWVTStateData);
    }
    trust.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
    return judge_signature(status, !pins.empty(), listed);
}

}  // namespace

std::vector<std::string> configured_publisher_pins() {
    std::optional<std::vector<std::string>> machine = machine_publisher_pins();
    if (!machine) return {};
    std::vector<std::string> pins = parse_pin_list(ORV_UPDATE_PUBLISHER_PINS);
    for (std::string& pin : *machine) pins.push_back(std::move(pin));
    return pins;
}

package_verdict verify_package(HANDLE file, const std::wstring& path,
                               const std::vector<std::string>& pins, const listed_package& listed,
                               package_kind& kind) {
    std::string head;
    kind = read_head(file, head) ? launchable_kind(listed.extension, head) : package_kind::other;
    if (kind == package_kind::other) return package_verdict::not_a_package;
    std::optional<std::wstring> description;
    package_verdict verdict = signature_verdict(file, path, pins, description);
    if (verdict != package_verdict::trusted) return verdict;
    // Signed by the publisher, but as another of the release's files (its uninstaller, say).
    if (!signature_description_matches(description, listed.base_name)) {
        return package_verdict::not_the_listed_package;
    }
    std::vector<package_identity> identities = kind == package_kind::windows_program
                                                   ? program_identities(file)
                                                   : installer_identities(path);
    for (const package_identity& identity : identities) {
        if (identity_matches(identity, listed.base_name, listed.suffix)) return verdict;
    }
    return package_verdict::not_the_listed_package;
}

}  // namespace orv
