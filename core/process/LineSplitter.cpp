#include "process/LineSplitter.hpp"

#include <simdjson.h>

#include "platform/UnicodeText.hpp"

namespace kelvane {

bool LineSplitter::isValidUtf8(const char* data, std::size_t size) {
    return simdjson::validate_utf8(data, size);
}

std::string_view LineSplitter::repaired(std::string_view line) {
    repaired_ = UnicodeText::repairedUtf8(line);
    return repaired_;
}

}  // namespace kelvane
