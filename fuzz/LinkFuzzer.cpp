// libFuzzer target for the link's receive path. The input is a byte stream
// for the receive parser (and through it the message handling), with read
// time-outs at positions the input chooses: its last byte gives how many
// (0 to 7) and the bytes before it their 16-bit stream positions. A seed
// that ends in a zero byte is therefore a plain stream.
//
// The same stream also goes straight to the report decoder and to the
// message handler in a heap copy of its exact size, so that the address
// sanitizer sees any read beyond the bytes given.
#include "link/AnalyzerLink.h"
#include "protocol/ApReport.h"
#include "protocol/Protocol.h"
#include "store/SharedRecordList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <memory>
#include <vector>

namespace {

using namespace marlow;

class FrameCheckingSink : public ByteSink {
public:
    int send(const std::uint8_t* bytes, std::size_t length) override {
        // Everything the link sends is a keep-alive or a whole frame that fits.
        const bool keepAlive = length == 2 && bytes[0] == 0x00 && bytes[1] == 0x00;
        const bool framed = length >= 5 && length <= frame::MaxFrame && bytes[0] == frame::Lead &&
                            bytes[1] == frame::Start && bytes[length - 2] == frame::Lead &&
                            bytes[length - 1] == frame::End;
        if (!keepAlive && !framed)
            __builtin_trap();
        return 1;
    }
};

class QuietEvents : public LinkEvents {
public:
    void notifyDraw() override {}
    void warnLowBattery() override {}
};

void checkText(const char (&text)[FramedLink::TextSize]) {
    if (std::memchr(text, '\0', sizeof text) == nullptr)
        __builtin_trap();
}

void checkScanList(const SharedRecordList& scanList) {
    scanList.withLock([](const RecordList& list) {
        std::size_t walked = 0;
        for (const SurveyRecord& record : list) {
            if (record.sampleCount < 1 || std::strlen(record.macText) != 12)
                __builtin_trap();
            ++walked;
        }
        if (walked != list.size())
            __builtin_trap();
    });
}

// Plays the reader thread over the stream, serving the time-outs before the
// stream positions they name.
void play(AnalyzerLink& link, const std::vector<std::uint8_t>& stream,
          std::map<std::size_t, int> timeouts) {
    std::size_t next = 0;
    std::uint8_t byte = 0;
    int count = 0;
    link.setParserState(ParserState::Reset);
    for (;;) {
        const int want = link.parse(&byte, count);
        if (want != 0 && want != 1)
            __builtin_trap();
        if (want == 0)
            continue;
        if (auto it = timeouts.find(next); it != timeouts.end() && it->second > 0) {
            --it->second;
            count = 0;
            continue;
        }
        if (next == stream.size())
            return;
        byte = stream[next++];
        count = 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::map<std::size_t, int> timeouts;
    for (int i = input.ConsumeIntegralInRange<int>(0, 7); i > 0; --i)
        ++timeouts[input.ConsumeIntegral<std::uint16_t>()];
    const std::vector<std::uint8_t> stream = input.ConsumeRemainingBytes<std::uint8_t>();

    QuietEvents events;
    FrameCheckingSink sink;
    SharedRecordList scanList;
    AnalyzerLink link(events, scanList);
    link.attachSink(&sink);
    play(link, stream, timeouts);

    const std::size_t length = stream.size();
    const auto exact = std::make_unique<std::uint8_t[]>(length);
    std::copy(stream.begin(), stream.end(), exact.get());
    decodeApReport({exact.get(), length});
    if (length >= 1) {
        const auto payloadLength =
            static_cast<std::uint16_t>(std::min<std::size_t>(length - 1, frame::MaxPayload));
        link.handleMessage(exact[0], exact.get() + 1, payloadLength);
    }

    char text[FramedLink::TextSize];
    link.copyFirmwareText(text);
    checkText(text);
    link.copySerialText(text);
    checkText(text);
    checkScanList(scanList);
    return 0;
}
