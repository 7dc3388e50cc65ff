#include "engine/LsarJsonListingReader.hpp"

#include <simdjson.h>

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <string>

#include "engine/ArchiveEngineService.hpp"
#include "engine/FastTimestampParser.hpp"
#include "engine/SaturatingArithmetic.hpp"

namespace kelvane {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

std::optional<element> field(const object& entry, std::string_view key) {
    element value;
    if (entry.at_key(key).get(value) != simdjson::SUCCESS) return std::nullopt;
    return value;
}

// A JSON boolean, or the integer 0 or 1 standing for one.
std::optional<bool> booleanValue(const std::optional<element>& value) {
    if (!value) return std::nullopt;
    switch (value->type()) {
        case element_type::BOOL:
            return value->get_bool().value_unsafe();
        case element_type::INT64: {
            const std::int64_t number = value->get_int64().value_unsafe();
            if (number == 0 || number == 1) return number == 1;
            return std::nullopt;
        }
        case element_type::UINT64: {
            const std::uint64_t number = value->get_uint64().value_unsafe();
            if (number == 0 || number == 1) return number == 1;
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<std::string_view> textValue(const std::optional<element>& value) {
    if (!value || value->type() != element_type::STRING) return std::nullopt;
    return value->get_string().value_unsafe();
}

std::optional<std::int64_t> integerValue(const std::optional<element>& value) {
    if (!value) return std::nullopt;
    if (value->type() == element_type::INT64) return value->get_int64().value_unsafe();
    if (value->type() == element_type::UINT64) {
        const std::uint64_t number = value->get_uint64().value_unsafe();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }
    return std::nullopt;
}

std::int64_t sizeValue(const std::optional<element>& value) {
    return ArchiveEngineService::int64Value(value ? &*value : nullptr);
}

// A CRC number as eight upper-case hexadecimal digits of its low 32 bits.
std::optional<std::string> crcText(const std::optional<element>& value) {
    if (!value) return std::nullopt;
    std::uint32_t crc = 0;
    switch (value->type()) {
        case element_type::INT64:
            crc = static_cast<std::uint32_t>(value->get_int64().value_unsafe());
            break;
        case element_type::UINT64:
            crc = static_cast<std::uint32_t>(value->get_uint64().value_unsafe());
            break;
        case element_type::DOUBLE:
            crc = static_cast<std::uint32_t>(ArchiveEngineService::int64Value(&*value));
            break;
        default:
            return std::nullopt;
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08" PRIX32, crc);
    return std::string(digits, 8);
}

std::vector<std::string> volumeNames(const object& document) {
    std::vector<std::string> names;
    const auto properties = field(document, "lsarProperties");
    if (!properties || properties->type() != element_type::OBJECT) return names;
    const auto volumes = field(properties->get_object().value_unsafe(), "XADVolumes");
    if (!volumes || volumes->type() != element_type::ARRAY) return names;
    const simdjson::dom::array list = volumes->get_array().value_unsafe();
    for (const element volume : list) {
        if (volume.type() != element_type::STRING) return {};
        names.emplace_back(volume.get_string().value_unsafe());
    }
    return names;
}

void readEntry(const object& item, LsarListingContents& contents, LocalMinuteCache& minuteCache) {
    const auto fileName = textValue(field(item, "XADFileName"));
    if (!fileName || fileName->empty()) return;

    const bool isDirectory =
        booleanValue(field(item, "XADIsDirectory")).value_or(fileName->ends_with('/'));
    const std::int64_t size = sizeValue(field(item, "XADFileSize"));
    const std::int64_t packed = sizeValue(field(item, "XADCompressedSize"));
    const bool isEncrypted = booleanValue(field(item, "XADIsEncrypted")).value_or(false);
    std::optional<ArchiveTimestamp> modified;
    if (const auto date = textValue(field(item, "XADLastModificationDate"))) {
        modified = FastTimestampParser::parse(*date, minuteCache);
    }
    auto crc = crcText(field(item, "ZipCRC32"));
    if (!crc) crc = crcText(field(item, "RARCRC32"));
    const std::optional<std::string_view> method = textValue(field(item, "XADCompressionName"));
    const std::optional<std::int64_t> index = integerValue(field(item, "XADIndex"));

    contents.entries.emplace_back(*fileName, isDirectory, size, packed, modified, isEncrypted,
                                  crc ? std::optional<std::string_view>(*crc) : std::nullopt,
                                  method, index);
    if (isEncrypted) contents.hasEncryptedEntries = true;
    if (booleanValue(field(item, "XADIsSolid")).value_or(false)) contents.isSolid = true;
    if (!isDirectory) {
        ++contents.fileCount;
        contents.totalUncompressedSize =
            SaturatingArithmetic::add(contents.totalUncompressedSize, size);
        contents.totalCompressedSize =
            SaturatingArithmetic::add(contents.totalCompressedSize, packed);
    }
}

}  // namespace

std::optional<LsarListingContents> LsarJsonListingReader::read(
    std::string_view json, std::string_view fallbackFormatName) {
    simdjson::dom::parser parser;
    const simdjson::padded_string padded(json);
    element root;
    if (parser.parse(padded).get(root) != simdjson::SUCCESS) return std::nullopt;
    if (root.type() != element_type::OBJECT) return std::nullopt;
    const object document = root.get_object().value_unsafe();

    LsarListingContents contents;
    const auto formatName = textValue(field(document, "lsarFormatName"));
    contents.formatName = formatName ? std::string(*formatName) : std::string(fallbackFormatName);
    contents.volumes = volumeNames(document);

    const auto items = field(document, "lsarContents");
    if (!items || items->type() != element_type::ARRAY) return contents;
    const simdjson::dom::array array = items->get_array().value_unsafe();
    // An array with anything but objects in it counts as empty as a whole.
    for (const element item : array) {
        if (item.type() != element_type::OBJECT) return contents;
    }
    contents.entries.reserve(array.size());
    LocalMinuteCache minuteCache;
    for (const element item : array) {
        readEntry(item.get_object().value_unsafe(), contents, minuteCache);
    }
    return contents;
}

}  // namespace kelvane
