#include "engine/ArchiveEngineError.hpp"

#include <utility>

#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"

namespace kelvane {

ArchiveEngineError::ArchiveEngineError(Case kind, std::string payload)
    : kind_(kind), payload_(std::move(payload)), englishText_(texts().english) {}

ArchiveEngineError ArchiveEngineError::binaryNotFound(std::string toolName) {
    return {Case::binaryNotFound, std::move(toolName)};
}

ArchiveEngineError ArchiveEngineError::processFailed(std::string message) {
    return {Case::processFailed, std::move(message)};
}

ArchiveEngineError ArchiveEngineError::passwordRequired() {
    return {Case::passwordRequired, {}};
}

ArchiveEngineError ArchiveEngineError::wrongPassword() {
    return {Case::wrongPassword, {}};
}

ArchiveEngineError ArchiveEngineError::unsupportedModification() {
    return {Case::unsupportedModification, {}};
}

ArchiveEngineError ArchiveEngineError::cancelled() {
    return {Case::cancelled, {}};
}

ArchiveEngineError::Texts ArchiveEngineError::texts() const {
    switch (kind_) {
        case Case::binaryNotFound:
            return {"Archive engine binary not found: " + payload_,
                    "Arşiv motoru bulunamadı: " + payload_};
        case Case::processFailed:
            return {payload_, payload_};
        case Case::passwordRequired:
            return {"This archive is encrypted. Enter the password to continue.",
                    "Bu arşiv şifreli. Devam etmek için parolayı girin."};
        case Case::wrongPassword:
            return {"Incorrect password. Please try again.",
                    "Parola hatalı. Lütfen tekrar deneyin."};
        case Case::unsupportedModification:
            return {
                "This archive format is read-only (only ZIP, 7Z, and TAR support adding or "
                "deleting entries).",
                "Bu arşiv formatı salt okunurdur (yalnızca ZIP, 7Z ve TAR içine dosya eklenip "
                "silinebilir)."};
        case Case::cancelled:
            return {"Operation cancelled.", "İşlem iptal edildi."};
    }
    return {payload_, payload_};
}

std::string ArchiveEngineError::errorDescription() const {
    // A tool's own message is shown as it is, even where a pack happens to hold that text.
    if (kind_ == Case::processFailed) return payload_;
    const Texts pair = texts();
    return AppStringCatalog::shared().resolve(pair.english, pair.turkish, AppLanguage::current());
}

}  // namespace kelvane
