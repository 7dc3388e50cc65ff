// What a two-tool pipeline returns: how each tool ended and the end of what each printed
// on standard error.
#pragma once

#include "process/StreamResult.hpp"

namespace kelvane {

struct PipelineResult {
    // The tool whose standard output feeds the other one's standard input.
    StreamResult producer;
    // The tool whose standard output was handed on line by line.
    StreamResult consumer;

    [[nodiscard]] bool succeeded() const { return producer.exitCode == 0 && consumer.exitCode == 0; }
};

}  // namespace kelvane
