#include "model/VolumeSplitPreset.hpp"

#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"

namespace kelvane {

std::string VolumeSplitPreset::displayLabel() const {
    switch (value()) {
        case none:
            return AppStringCatalog::shared().resolve("Single File", "Tek Parça",
                                                      AppLanguage::current());
        case mb100: return "100 MB";
        case mb700: return "700 MB";
        case gb1: return "1 GB";
        case gb4: return "4 GB";
    }
    return {};
}

}  // namespace kelvane
