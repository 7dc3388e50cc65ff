// Random version-4 UUIDs in their canonical upper-case text form, used to give temporary
// files names that no other run picks.
#pragma once

#include <string>

namespace kelvane {

class Uuid final {
public:
    Uuid() = delete;

    // 36 characters: "XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX" with upper-case hexadecimal
    // digits, Y one of 8, 9, A or B. The 122 random bits come from the system's entropy source.
    [[nodiscard]] static std::string randomText();
};

}  // namespace kelvane
