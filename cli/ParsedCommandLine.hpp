// The options and operands of one command, as the parser found them.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::cli {

class ParsedCommandLine final {
public:
    [[nodiscard]] bool flag(std::string_view name) const {
        return flags_.contains(std::string(name));
    }
    // The value of the option's last occurrence; none when it was not given.
    [[nodiscard]] std::optional<std::string> value(std::string_view name) const {
        const auto found = values_.find(std::string(name));
        if (found == values_.end()) return std::nullopt;
        return found->second;
    }
    [[nodiscard]] const std::vector<std::string>& operands() const { return operands_; }

    void setFlag(std::string_view name) { flags_.emplace(name); }
    void setValue(std::string_view name, std::string value) {
        values_.insert_or_assign(std::string(name), std::move(value));
    }
    void addOperand(std::string operand) { operands_.push_back(std::move(operand)); }

private:
    std::set<std::string, std::less<>> flags_;
    std::map<std::string, std::string, std::less<>> values_;
    std::vector<std::string> operands_;
};

}  // namespace kelvane::cli
