// Fuzz target: arbitrary HTTP status and body given to the chat response parser.
#include "refinement/ChatClient.h"

#include <cstdint>

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the status: mostly 200, sometimes an error code.
    const int status = data[0] < 200 ? 200 : 300 + data[0];
    const QByteArray body(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    const ChatResult result = chat::parseResponse(status, body);
    if (result) {
        (void)result.value().size();
    } else {
        (void)result.error().description();
    }
    return 0;
}
