#include "engine/EngineFailureText.hpp"

#include <filesystem>
#include <new>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "localization/S.hpp"

namespace kelvane {
namespace {

std::string withPath(std::string text, const std::filesystem::path& path) {
    if (!path.empty()) {
        text += " (";
        text += path.string();
        text += ")";
    }
    return text;
}

}  // namespace

std::string EngineFailureText::describe(const std::exception_ptr& failure) {
    if (!failure) return {};
    try {
        std::rethrow_exception(failure);
    } catch (const ArchiveEngineError& error) {
        return error.errorDescription();
    } catch (const std::filesystem::filesystem_error& error) {
        const std::error_code code = error.code();
        std::string reason;
        if (code == std::errc::no_space_on_device) {
            reason = S::t("The disk is full.", "Disk dolu.");
        } else if (code == std::errc::permission_denied ||
                   code == std::errc::operation_not_permitted) {
            reason = S::t("Permission denied.", "Erişim reddedildi.");
        } else if (code == std::errc::no_such_file_or_directory) {
            reason = S::t("The file or folder does not exist.", "Dosya veya klasör yok.");
        } else if (code == std::errc::not_a_directory || code == std::errc::file_exists) {
            reason = S::t("A file is in the way of a folder.", "Bir klasörün yerinde dosya var.");
        } else {
            reason = code.message();
        }
        return withPath(reason, error.path1());
    } catch (const std::system_error& error) {
        if (error.code() == std::errc::no_space_on_device) {
            return S::t("The disk is full.", "Disk dolu.");
        }
        return error.what();
    } catch (const std::bad_alloc&) {
        return S::t("Not enough memory for this operation.", "Bu işlem için bellek yetersiz.");
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return S::t("The operation failed.", "İşlem başarısız oldu.");
    }
}

}  // namespace kelvane
